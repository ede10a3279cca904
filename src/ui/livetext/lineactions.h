#pragma once

#include <QObject>

class BackupInUse;
class PatchTextEdit;
class PatchTextHolder;
class QMenu;
class QWidget;

// What the menu of a line of the patch text offers where it applies: the
// record's old bytes filled in from the backup, the patch the line stands in
// taken off the phone, a patch added a second time removed. Each undoes in
// one step.
class LineActions : public QObject
{
public:
    LineActions(PatchTextEdit *edit, BackupInUse &backup, PatchTextHolder &text, QWidget *window);

private:
    void offer(QMenu &menu, int line);
    void fill(int line);
    void takeOff(int line);
    void remove(int first, int last);

    PatchTextEdit *m_edit;
    BackupInUse &m_backup;
    PatchTextHolder &m_text;
    QWidget *m_window;
};
