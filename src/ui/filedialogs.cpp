#include "filedialogs.h"

#include "runtime/programdirectory.h"
#include "runtime/sizewords.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QTreeView>

namespace {

// The size and the time of a file as Russian writes them: Qt's file list
// takes both from the system's locale, and its sizes in Qt 6.4 are «MiB»
// even in Russian.
class RussianSizesAndTimes : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex &index, int role) const override
    {
        const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
        if (role != Qt::DisplayRole || !files)
            return QIdentityProxyModel::data(index, role);
        const QModelIndex file = mapToSource(index);
        if (index.column() == sizeColumn && !files->isDir(file))
            return sizeWords(files->size(file));
        if (index.column() == timeColumn)
            return QLocale(QLocale::Russian).toString(files->lastModified(file), QLocale::ShortFormat);
        return QIdentityProxyModel::data(index, role);
    }

private:
    static constexpr int sizeColumn = 1, timeColumn = 3;};

} // namespace

void shapeDialog(QFileDialog &dialog, const QString &title, const QString &accept)
{
    dialog.setWindowTitle(title);
    dialog.setDirectory(programDirectory());
    if (!accept.isEmpty())
        dialog.setLabelText(QFileDialog::Accept, accept);
    dialog.setProxyModel(new RussianSizesAndTimes(&dialog));
    // The list's columns as wide as what they show, the name's the rest.
    if (auto *files = dialog.findChild<QTreeView *>(QStringLiteral("treeView"))) {
        files->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        files->header()->setSectionResizeMode(0, QHeaderView::Stretch);
        files->header()->setStretchLastSection(false);
    }
    dialog.resize(dialog.fontMetrics().averageCharWidth() * 110, dialog.fontMetrics().height() * 30);
}

QFileDialog &backupDialog()
{
    static QFileDialog *const dialog = [] {
        auto *d = new QFileDialog;
        shapeDialog(*d, QStringLiteral("Копия прошивки"), QStringLiteral("Сверить"));
        d->setNameFilters({QStringLiteral("Все файлы (*)"), QStringLiteral("Копии прошивки (*.bin)")});
        d->setFileMode(QFileDialog::ExistingFile);
        return d;
    }();
    return *dialog;
}

QFileDialog &folderDialog()
{
    static QFileDialog *const dialog = [] {
        auto *d = new QFileDialog;
        shapeDialog(*d, QStringLiteral("Папка с патчами"));
        d->setFileMode(QFileDialog::Directory);
        d->setOption(QFileDialog::ShowDirsOnly);
        return d;
    }();
    return *dialog;
}

std::optional<QString> askIn(QFileDialog &dialog, QWidget *parent)
{
    dialog.setParent(parent, dialog.windowFlags());
    const bool chosen = dialog.exec() == QDialog::Accepted;
    // A completion list left open would outlive the dialog, which stays.
    for (const QCompleter *completer : dialog.findChildren<QCompleter *>())
        completer->popup()->hide();
    dialog.setParent(nullptr, dialog.windowFlags());
    if (!chosen || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front();
}
