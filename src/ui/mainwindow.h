#pragma once

#include "backup/backupfile.h"
#include "catalogue/catalogue.h"
#include "entries/entrystate.h"
#include "textboxholder.h"

#include <QWidget>
#include <array>
#include <memory>
#include <optional>

class QKeyEvent;
class QListWidget;

namespace Ui {
class MainWindow;
}

// The program's one window: the catalogue in three tabs above the patch text.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void fillCatalogue();
    void refreshEntries();
    void showEntries(const std::vector<EntryState> &states);
    void dropBackup(const Failure &failure);
    bool enterOn(Category category, const QKeyEvent &key);
    void appendFrom(Category category, int index);
    void clearPatch();
    void handOver();
    void askForBackup();
    void useBackup(const QString &path);
    void stopUsingBackup();
    void showBackup();
    bool takeDrop(QEvent *event);
    void report(const Failure &failure);

    std::unique_ptr<Ui::MainWindow> ui;
    std::unique_ptr<TextBoxHolder> m_patchText;
    std::array<QListWidget *, 3> m_lists{}; // in the order of Category
    std::optional<Backup> m_backup;
    bool m_filesMayHaveChanged = false;
};
