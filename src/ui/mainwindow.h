#pragma once

#include "entries/entrystate.h"

#include <QWidget>
#include <array>
#include <memory>
#include <vector>

class BackupInUse;
class FolderTab;
class QListWidget;
class TextBoxHolder;

namespace Ui {
class MainWindow;
}

// The program's one window: the catalogue in three tabs and the patches of a
// folder in a fourth, above the patch text. It lays out the form and wires
// the rooms that do the rest: the backup in use, the fourth tab, what a
// person does to an entry, the copy after a flash, and drops.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

protected:
    void changeEvent(QEvent *event) override;

private:
    // What an append says: why it failed, or what the user should know.
    struct Appended {
        Status failure;
        QString warning;
    };

    void fillCatalogue();
    void lookAgain();
    void showEntries(const std::vector<EntryState> &states);
    void appendAndSay(const QString &path);
    Appended appendFile(const QString &path);
    void handOver();

    std::unique_ptr<Ui::MainWindow> ui;
    std::unique_ptr<TextBoxHolder> m_patchText;
    std::array<QListWidget *, 3> m_lists{}; // in the order of Category
    BackupInUse *m_backup = nullptr;
    FolderTab *m_folderTab = nullptr;
    bool m_filesMayHaveChanged = false;
};
