#pragma once

#include "backup/backupfile.h"
#include "catalogue/catalogue.h"
#include "entries/entrystate.h"
#include "textboxholder.h"

#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <vector>

class FolderTab;
class QAbstractItemView;
class QAction;
class QKeyEvent;
class QListWidget;
struct EditedPatch;

namespace Ui {
class MainWindow;
}

// The program's one window: the catalogue in three tabs and the patches of a
// folder in a fourth, above the patch text.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

protected:
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // What an append says: why it failed, or what the user should know.
    struct Appended {
        Status failure;
        QString warning;
    };

    void fillCatalogue();
    void refreshEntries();
    void refreshCatalogue();
    void showEntries(const std::vector<EntryState> &states);
    void dropBackup(const Failure &failure);
    bool enterOn(Category category, const QKeyEvent &key);
    void appendAndSay(const QString &path);
    Appended appendFile(const QString &path);
    void clearPatch();
    void handOver();
    void askForBackup();
    void useBackup(const QString &path);
    void stopUsingBackup();
    void showBackup();
    void askForFolder();
    void useFolder(const QString &folder);
    bool takeDrop(QEvent *event);
    void useDrop(const QStringList &paths);
    void report(const Failure &failure);
    void laterReport(const Failure &failure);
    // Both ways: a patch taken off the phone or given its old bytes from the
    // backup, from an entry's menu, and the copy after a flash.
    void addEditActions();
    void showEntryMenu(QAbstractItemView *view, const QPoint &at);
    QString currentEntry() const;
    void takeOffCurrent();
    void appendWithOldBytes();
    void appendEdited(const EditedPatch &edited);
    void saveCopyAfterFlash();

    std::unique_ptr<Ui::MainWindow> ui;
    // The form's places, at the size it was drawn at: the smallest.
    QSize m_drawnSize;
    std::vector<std::pair<QWidget *, QRect>> m_drawnPlaces;
    std::unique_ptr<TextBoxHolder> m_patchText;
    std::array<QListWidget *, 3> m_lists{}; // in the order of Category
    std::unique_ptr<FolderTab> m_folderTab;
    std::optional<Backup> m_backup;
    bool m_filesMayHaveChanged = false;
    QAction *m_append = nullptr;
    QAction *m_takeOff = nullptr;
    QAction *m_withOldBytes = nullptr;
    QAction *m_saveCopy = nullptr;
};
