#pragma once

#include "folderlister.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTabWidget;

// The fourth tab: the patches of a folder the user chose, by their own names,
// marked as the twenty are, narrowed as a filter is typed. Its button, or
// Ctrl+Shift+O from any tab, chooses the folder.
class FolderTab : public QObject
{
public:
    struct Widgets {
        QPushButton *choose;
        QLabel *folder;
        QLineEdit *filter;
        QListView *list;
        QLabel *count;
        QTabWidget *tabs = nullptr; // shown at a choice, where there are
    };
    // What the tab asks of the window.
    struct Calls {
        std::function<void(const Failure &failure)> folderFailed;
        std::function<void(const Failure &failure)> backupFailed;
        std::function<void(const QString &text)> tell;
        std::function<std::optional<Backup>()> backup; // the one in use, for a folder chosen in the tab
    };
    FolderTab(Widgets widgets, Calls calls, QObject *parent = nullptr);
    ~FolderTab() override;

    // Lists `folder` from now on. Said to the user when it cannot be listed,
    // or when what is found in it is not what one may expect.
    void choose(const QString &folder, const std::optional<Backup> &backup);
    // Shows the tab and lists `folder` against the backup in use.
    void use(const QString &folder);
    // Lists the folder in use again: files may have come or gone.
    void refresh(const std::optional<Backup> &backup);
    bool busy() const { return m_lister->busy(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void askForFolder();
    void showTab();
    void listed(const FolderListing &listing);
    void show(const PatchFolder &folder);
    void showFolder();
    void showCount();

    Widgets m_widgets;
    Calls m_calls;
    QStandardItemModel *m_model;
    QSortFilterProxyModel *m_filter;
    PatchFolder m_inUse; // its path is the folder in use, empty for none
    FolderLister *m_lister;
};
