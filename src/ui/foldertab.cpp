#include "foldertab.h"

#include "countline.h"
#include "entryview.h"
#include "filedialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTabWidget>

namespace {

// What the filter looks in: the name, the file's name and the number.
constexpr int filterRole = entryPathRole + 1;

QStandardItem *rowOf(const EntryState &state, bool keepRoom, const QBrush &grey)
{
    const QString about = entryAbout(state, Listed::Folder);
    auto *item = new QStandardItem(entryMark(state, keepRoom), patchName(state));
    item->setData(state.path, entryPathRole);
    item->setData(QStringList{patchName(state), QFileInfo(state.path).fileName(), state.header.number}.join(u'\n'), filterRole);
    item->setData(entryTooltip(about), Qt::ToolTipRole);
    item->setData(about, Qt::AccessibleDescriptionRole);
    if (entryGrey(state))
        item->setData(grey, Qt::ForegroundRole);
    return item;
}

} // namespace

FolderTab::FolderTab(Widgets widgets, Calls calls, QObject *parent)
    : QObject(parent)
    , m_widgets(widgets)
    , m_calls(std::move(calls))
    , m_model(new QStandardItemModel(this))
    , m_filter(new QSortFilterProxyModel(this))
    , m_lister(new FolderLister([this](const FolderListing &listing) { listed(listing); }, this))
{
    m_filter->setSourceModel(m_model);
    m_filter->setFilterRole(filterRole);
    m_filter->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_widgets.list->setModel(m_filter);
    m_widgets.list->setIconSize(QSize(16, 16));
    connect(m_widgets.filter, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_filter->setFilterFixedString(text);
        showCount();
    });
    m_widgets.filter->installEventFilter(this);
    m_widgets.folder->installEventFilter(this);
    connect(m_widgets.choose, &QPushButton::clicked, this, &FolderTab::askForFolder);
    // From any tab, where its button is hidden.
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O), m_widgets.choose->window()), &QShortcut::activated,
            this, &FolderTab::askForFolder);
    showCount();
}

FolderTab::~FolderTab() = default;

void FolderTab::askForFolder()
{
    showTab();
    if (const std::optional<QString> chosen = askIn(folderDialog(), m_widgets.choose->window()))
        use(*chosen);
}

void FolderTab::use(const QString &folder)
{
    showTab();
    choose(folder, m_calls.backup ? m_calls.backup() : std::nullopt);
}

void FolderTab::showTab()
{
    if (m_widgets.tabs)
        m_widgets.tabs->setCurrentWidget(m_widgets.list->parentWidget());
}

void FolderTab::choose(const QString &folder, const std::optional<Backup> &backup)
{
    m_lister->choose(folder, backup);
    showCount();
}

void FolderTab::refresh(const std::optional<Backup> &backup)
{
    m_lister->refresh(m_inUse.path, backup);
    showCount();
}

// Escape in the filter empties it; the folder's path is shortened anew as
// its label grows or shrinks.
bool FolderTab::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_widgets.folder && event->type() == QEvent::Resize)
        showFolder();
    if (watched == m_widgets.filter && event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape
        && !m_widgets.filter->text().isEmpty()) {
        m_widgets.filter->clear();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void FolderTab::listed(const FolderListing &listing)
{
    if (listing.failure) {
        // One chosen just now that cannot be listed is not taken; one in use
        // that no longer can be is dropped.
        if (!listing.chosen)
            show({});
        showCount();
        m_calls.folderFailed(*listing.failure);
        return;
    }
    // The folder of this phone in a collection is listed from now on.
    show(listing.folder);
    if (listing.backupFailure)
        m_calls.backupFailed(*listing.backupFailure);
    if (!listing.chosen)
        return;
    if (QDir::cleanPath(listing.folder.path) != QDir::cleanPath(listing.asked)) {
        m_calls.tell(QStringLiteral("В папке %1 нет патчей, но в ней есть папка %2 для этого телефона: показаны патчи из неё.")
                         .arg(QDir::toNativeSeparators(listing.asked), QFileInfo(listing.folder.path).fileName()));
    } else if (!listing.folder.phoneFolders.isEmpty()) {
        m_calls.tell(QStringLiteral("В папке %1 нет патчей, а есть папки с патчами для других телефонов и прошивок: %2. "
                                    "Выберите папку %3.")
                         .arg(QDir::toNativeSeparators(listing.asked), someOf(listing.folder.phoneFolders),
                              thisPhone().text()));
    }
}

// A folder read again as it was is not shown again: a large one takes a
// while to lay out, each time the window comes back.
void FolderTab::show(const PatchFolder &folder)
{
    if (folder == m_inUse && m_model->rowCount() == int(folder.patches.size())) {
        showCount();
        return;
    }
    m_inUse = folder;
    const QString current = m_widgets.list->currentIndex().data(entryPathRole).toString();
    m_model->clear();
    bool keepRoom = false;
    for (const EntryState &state : folder.patches)
        keepRoom = keepRoom || hasMark(state);
    const QBrush grey = m_widgets.list->palette().brush(QPalette::Disabled, QPalette::Text);
    for (const EntryState &state : folder.patches)
        m_model->appendRow(rowOf(state, keepRoom, grey));
    // The patch the user stood on stays current when the folder is read again.
    for (int row = 0; row < m_filter->rowCount(); ++row) {
        if (m_filter->index(row, 0).data(entryPathRole).toString() == current)
            m_widgets.list->setCurrentIndex(m_filter->index(row, 0));
    }
    showFolder();
    showCount();
}

// The folder's path, as much of its end as the label holds at its width.
void FolderTab::showFolder()
{
    const QString path = QDir::toNativeSeparators(m_inUse.path);
    m_widgets.folder->setText(m_widgets.folder->fontMetrics().elidedText(path, Qt::ElideLeft, m_widgets.folder->width()));
    m_widgets.folder->setToolTip(path);
    m_widgets.choose->setAccessibleDescription(path);
}

void FolderTab::showCount()
{
    // A look again that may find all as it was says nothing meanwhile.
    const bool reading = m_lister->busy() && !m_lister->quiet();
    const QString text = countLine({!m_inUse.path.isEmpty(), reading, m_filter->rowCount(), m_model->rowCount(),
                                    m_inUse.notPatches, m_inUse.namedOtherwise, m_inUse.phoneFolders});
    m_widgets.count->setText(text);
    m_widgets.count->setToolTip(text);
}
