#pragma once

#include <QObject>
#include <functional>
#include <vector>

class BackupInUse;
class PatchTextHolder;
class QAbstractItemView;
class QAction;
class QPoint;
class QWidget;

// What a person does to an entry of any tab: a double-click or Enter
// appends it, Shift+Enter takes it off the phone, and its menu offers both,
// its old bytes filled in from the backup, and the copy after a flash. Each
// acts on the entry it was asked for: the one under the pointer when the menu
// opened, the current one when the key was pressed, whatever the list shows
// by the time it runs.
class EntryActions : public QObject
{
public:
    EntryActions(const std::vector<QAbstractItemView *> &lists, QAction *saveCopy, BackupInUse &backup, PatchTextHolder &text,
                 std::function<void(const QString &path)> append, QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showMenu(QAbstractItemView *list, const QPoint &at);
    void takeOff(const QString &path);
    void fill(const QString &path);

    std::vector<QAbstractItemView *> m_lists;
    QAction *m_saveCopy;
    BackupInUse &m_backup;
    PatchTextHolder &m_text;
    std::function<void(const QString &path)> m_append;
    QWidget *m_window;
};
