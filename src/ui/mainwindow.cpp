#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "assembly/assembly.h"
#include "backup/backupcopy.h"
#include "entries/entryedit.h"
#include "foldertab.h"
#include "handover/handover.h"
#include "messagebox.h"
#include "patchentryitem.h"
#include "entryview.h"
#include "patchfolder/drop.h"
#include "patchformat/description.h"
#include "patchformat/patchwarnings.h"
#include "runtime/programdirectory.h"
#include "startup.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QProxyStyle>
#include <QShortcut>
#include <QTabBar>
#include <utility>

namespace {

constexpr int folderTabIndex = 3;

// Tabs padded less than the style's default, so that the four captions fit
// the window's width in one row.
class CompactTabs : public QProxyStyle
{
public:
    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        const int value = QProxyStyle::pixelMetric(metric, option, widget);
        return metric == PM_TabBarTabHSpace ? value / 2 : value;
    }
};

// Qt's own catalogue words the dialog; `accept` is the program's own verb
// where Qt's («Открыть») would not say what the button does.
QFileDialog *fileDialog(const QString &title, const QString &accept = {})
{
    auto *d = new QFileDialog(nullptr, title, programDirectory());
    if (!accept.isEmpty())
        d->setLabelText(QFileDialog::Accept, accept);
    return d;
}

// Qt's file dialog writes the folders it visited into the user's settings
// when it is destroyed, and the program keeps no state between runs: each
// dialog lives as long as the program.
QFileDialog &backupDialog()
{
    static QFileDialog *const dialog = [] {
        QFileDialog *d = fileDialog(QStringLiteral("Копия прошивки"), QStringLiteral("Сверить"));
        d->setNameFilters({QStringLiteral("Все файлы (*)"), QStringLiteral("Копии прошивки (*.bin)")});
        d->setFileMode(QFileDialog::ExistingFile);
        return d;
    }();
    return *dialog;
}

QFileDialog &copyDialog()
{
    static QFileDialog *const dialog = [] {
        QFileDialog *d = fileDialog(QStringLiteral("Копия после прошивки"));
        d->setAcceptMode(QFileDialog::AcceptSave);
        d->setNameFilters({QStringLiteral("Копии прошивки (*.bin)"), QStringLiteral("Все файлы (*)")});
        d->setDefaultSuffix(QStringLiteral("bin"));
        return d;
    }();
    return *dialog;
}

QFileDialog &folderDialog()
{
    static QFileDialog *const dialog = [] {
        QFileDialog *d = fileDialog(QStringLiteral("Папка с патчами"));
        d->setFileMode(QFileDialog::Directory);
        d->setOption(QFileDialog::ShowDirsOnly);
        return d;
    }();
    return *dialog;
}

// Shows a kept dialog over `parent`: what was chosen in it, or nothing.
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

// The local files and folders a drag brings.
QStringList draggedPaths(const QMimeData *mime)
{
    QStringList paths;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            paths += url.toLocalFile();
    }
    return paths;
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::MainWindow>())
{
    ui->setupUi(this);
    m_drawnSize = size();
    setMinimumSize(m_drawnSize);
    for (QWidget *control : std::initializer_list<QWidget *>{ui->SSTab1, ui->txtPath, ui->vklay, ui->cmdClear, ui->cmdBackup,
                                                             ui->lblBackup, ui->cmdNoBackup})
        m_drawnPlaces.emplace_back(control, control->geometry());
    setWindowIcon(QIcon(QStringLiteral(":/icons/kelvarine.ico")));
    ui->vklay->setIcon(QIcon(QStringLiteral(":/icons/vklay.ico")));
    // Where MS Sans Serif is missing, fall back to a sans-serif face, not any face.
    QFont clearFont = ui->cmdClear->font();
    clearFont.setStyleHint(QFont::SansSerif);
    ui->cmdClear->setFont(clearFont);

    // The tab bar stands for the tab control, whose lists come after the buttons.
    QWidget *const order[] = {ui->SSTab1->tabBar(), ui->txtPath,   ui->vklay,     ui->lstDel,    ui->lstFast,
                              ui->lstOther,          ui->cmdFolder, ui->txtFilter, ui->lstFolder, ui->cmdClear,
                              ui->cmdBackup,         ui->cmdNoBackup};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    m_patchText = std::make_unique<TextBoxHolder>(ui->txtPath);
    m_folderTab = std::make_unique<FolderTab>(
        FolderTab::Widgets{ui->cmdFolder, ui->lblFolder, ui->txtFilter, ui->lstFolder, ui->lblFolderCount},
        FolderTab::Calls{[this](const QString &path) { appendAndSay(path); },
                         [this](const Failure &failure) { laterReport(failure); },
                         [this](const Failure &failure) {
                             dropBackup(failure);
                             refreshCatalogue();
                         },
                         [this](const QString &text) { showMessageBox(this, QMessageBox::Information, messageTitle, text); }});
    fillCatalogue();
    connect(ui->cmdClear, &QPushButton::clicked, this, &MainWindow::clearPatch);
    connect(ui->vklay, &QPushButton::clicked, this, &MainWindow::handOver);

    // A file or a folder dropped anywhere, the text box included, is taken
    // for what it is: a patch, a folder of them, or the backup.
    setAcceptDrops(true);
    ui->txtPath->viewport()->installEventFilter(this);
    ui->cmdBackup->setShortcut(QKeySequence::Open);
    connect(ui->cmdBackup, &QPushButton::clicked, this, &MainWindow::askForBackup);
    connect(ui->cmdNoBackup, &QToolButton::clicked, this, &MainWindow::stopUsingBackup);
    // The folder's shortcut works from any tab, where its button is hidden.
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O), this), &QShortcut::activated, this,
            &MainWindow::askForFolder);
    connect(ui->cmdFolder, &QPushButton::clicked, this, &MainWindow::askForFolder);
    addEditActions();
    showBackup();
}

MainWindow::~MainWindow() = default;

void MainWindow::fillCatalogue()
{
    int tab = 0;
    for (const PatchCategory &category : patchCatalogue()) {
        ui->SSTab1->setTabText(tab++, category.tabCaption.toString());
        auto *list = findChild<QListWidget *>(category.listName.toString());
        list->setAccessibleName(category.tabCaption.toString());
        list->setIconSize(QSize(16, 16));
        int index = 0;
        for (QStringView entry : category.entries) {
            list->addItem(new PatchEntryItem(entry.toString(), PatchFilePath(category.category, index)));
            ++index;
        }
        // The signal comes only from a double-click on an entry, so the row is
        // always a real index, never -1 for "no entry".
        connect(list, &QListWidget::itemDoubleClicked, this, [this, c = category.category, list](QListWidgetItem *item) {
            appendAndSay(PatchFilePath(c, list->row(item)));
        });
        list->installEventFilter(this);
        m_lists[std::size_t(category.category)] = list;
    }
    ui->SSTab1->setTabText(folderTabIndex, QStringLiteral("Другие патчи"));
    auto *tabs = new CompactTabs;
    tabs->setParent(ui->SSTab1->tabBar());
    ui->SSTab1->tabBar()->setStyle(tabs);
    ui->lstFolder->setAccessibleName(QStringLiteral("Другие патчи"));
    refreshEntries();
}

// What each entry is now: its file, what it says of itself, and its patch
// against the backup in use; and the folder's patches the same way.
void MainWindow::refreshEntries()
{
    refreshCatalogue();
    m_folderTab->refresh(m_backup);
}

void MainWindow::refreshCatalogue()
{
    Status failure;
    const std::vector<EntryState> states = lookAtFiles(catalogueFiles(), Look::Start, m_backup, failure);
    if (failure)
        dropBackup(*failure);
    showEntries(states);
}

// The states come in the catalogue's order: its lists, and their rows.
void MainWindow::showEntries(const std::vector<EntryState> &states)
{
    auto state = states.begin();
    for (QListWidget *list : m_lists) {
        const auto end = state + list->count();
        const bool keepRoom = std::any_of(state, end, hasMark);
        for (int row = 0; state != end; ++row, ++state)
            static_cast<PatchEntryItem *>(list->item(row))->show(*state, keepRoom);
    }
}

// The backup no longer reads: it is no longer used, and the user is told.
void MainWindow::dropBackup(const Failure &failure)
{
    if (!m_backup)
        return;
    m_backup.reset();
    showBackup();
    laterReport(failure);
}

// Grown past its drawn size, the window gives the room to the lists and the
// text, half each; the buttons keep their size and their place at the bottom.
void MainWindow::resizeEvent(QResizeEvent *event)
{
    const int wider = width() - m_drawnSize.width(), taller = height() - m_drawnSize.height();
    const int tabsTaller = taller / 2;
    for (const auto &[control, drawn] : m_drawnPlaces) {
        if (control == ui->SSTab1)
            control->setGeometry(drawn.adjusted(0, 0, wider, tabsTaller));
        else if (control == ui->txtPath)
            control->setGeometry(drawn.adjusted(0, tabsTaller, wider, taller));
        else if (control == ui->vklay || control == ui->cmdClear)
            control->setGeometry(drawn.translated(wider, taller));
        else
            control->setGeometry(drawn.translated(0, taller));
    }
    QWidget::resizeEvent(event);
}

// Patches the user copied in while the window was in the background show when
// it comes back; its first activation follows the check at start.
void MainWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange) {
        if (!isActiveWindow())
            m_filesMayHaveChanged = true;
        else if (std::exchange(m_filesMayHaveChanged, false))
            refreshEntries();
    }
    QWidget::changeEvent(event);
}

// The text box's own drop would insert a dropped file's name as text; the
// lists take Return or Enter.
bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->txtPath->viewport())
        return takeDrop(event);
    for (const PatchCategory &category : patchCatalogue()) {
        if (watched == m_lists[std::size_t(category.category)] && event->type() == QEvent::KeyPress)
            return enterOn(category.category, *static_cast<QKeyEvent *>(event));
    }
    return QWidget::eventFilter(watched, event);
}

// Return or Enter on an entry appends it as a double-click does, once a press.
bool MainWindow::enterOn(Category category, const QKeyEvent &key)
{
    if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter)
        return false;
    const int row = m_lists[std::size_t(category)]->currentRow();
    if (!key.isAutoRepeat() && row >= 0)
        appendAndSay(PatchFilePath(category, row));
    return true;
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    takeDrop(event);
}

void MainWindow::dropEvent(QDropEvent *event)
{
    takeDrop(event);
}

// A drag that brings local files or folders is taken; any other is left alone.
bool MainWindow::takeDrop(QEvent *event)
{
    const bool entering = event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove;
    if (!entering && event->type() != QEvent::Drop)
        return false;
    auto *drop = static_cast<QDropEvent *>(event);
    const QStringList paths = draggedPaths(drop->mimeData());
    if (paths.isEmpty())
        return false;
    drop->acceptProposedAction();
    // After the drop: a box inside it would hold up the program it came from.
    if (!entering)
        QMetaObject::invokeMethod(this, [this, paths] { useDrop(paths); }, Qt::QueuedConnection);
    return true;
}

void MainWindow::useDrop(const QStringList &paths)
{
    const DropPlan plan = planDrop(paths);
    if (plan.refused) {
        report(*plan.refused);
        return;
    }
    QStringList said = plan.notes;
    for (const QString &path : plan.patches) {
        const Appended appended = appendFile(path);
        if (appended.failure)
            said += appended.failure->message();
        else if (!appended.warning.isEmpty())
            said += appended.warning;
    }
    // The backup first: a folder dropped with it is listed against it.
    if (plan.backup) {
        m_backup = plan.backup;
        showBackup();
        refreshEntries();
    }
    if (plan.folder)
        useFolder(*plan.folder);
    if (!said.isEmpty())
        showMessageBox(this, QMessageBox::Warning, messageTitle, said.join(QStringLiteral("\n\n")));
}

void MainWindow::askForBackup()
{
    if (const std::optional<QString> chosen = askIn(backupDialog(), this))
        useBackup(*chosen);
}

void MainWindow::useBackup(const QString &path)
{
    Backup backup;
    if (const Status failure = chooseBackup(path, backup)) {
        report(*failure);
        return;
    }
    m_backup = backup;
    showBackup();
    refreshEntries();
}

void MainWindow::stopUsingBackup()
{
    m_backup.reset();
    showBackup();
    refreshEntries();
}

void MainWindow::showBackup()
{
    const QString text = m_backup ? QStringLiteral("Копия: %1").arg(QFileInfo(m_backup->path).fileName())
                                  : QStringLiteral("Копия прошивки не выбрана");
    ui->lblBackup->setText(ui->lblBackup->fontMetrics().elidedText(text, Qt::ElideMiddle, ui->lblBackup->width()));
    ui->lblBackup->setToolTip(m_backup ? QDir::toNativeSeparators(m_backup->path) : QString());
    ui->cmdBackup->setAccessibleDescription(text);
    ui->cmdNoBackup->setVisible(m_backup.has_value());
}

void MainWindow::askForFolder()
{
    ui->SSTab1->setCurrentIndex(folderTabIndex);
    if (const std::optional<QString> chosen = askIn(folderDialog(), this))
        useFolder(*chosen);
}

void MainWindow::useFolder(const QString &folder)
{
    ui->SSTab1->setCurrentIndex(folderTabIndex);
    m_folderTab->choose(folder, m_backup);
}

// Appends the patch file and says what the user should know of it.
void MainWindow::appendAndSay(const QString &path)
{
    const Appended appended = appendFile(path);
    if (appended.failure)
        report(*appended.failure);
    else if (!appended.warning.isEmpty())
        showMessageBox(this, QMessageBox::Warning, messageTitle, appended.warning);
}

MainWindow::Appended MainWindow::appendFile(const QString &path)
{
    QString added;
    if (const Status failure = AppendPatchFile(*m_patchText, path, maxPatchFileBytes, &added))
        return {failure, {}};
    // The file read alone: a header for another phone, or an offset or a
    // pragma it leaves on, which shifts every patch after it.
    const QStringView lines = fileLines(added);
    return {std::nullopt, appendWarning(readPatchText(lines, RecordBytes::Counted), patchHeader(patchDescription(lines)), path)};
}

void MainWindow::clearPatch()
{
    ClearPatchText(*m_patchText);
}

void MainWindow::handOver()
{
    const QString text = m_patchText->text();
    // Bytes are compared only with a backup.
    const PatchReading reading = readPatchText(text, m_backup ? RecordBytes::Kept : RecordBytes::Counted);
    std::vector<WarningItem> more;
    if (m_backup) {
        if (const Status failure = checkAgainstBackup(*m_backup, reading, more)) {
            stopUsingBackup();
            report(*failure);
            return;
        }
    }
    const QString warning = handoverWarning(text, reading, more);
    if (!warning.isEmpty() && !askToGoOn(this, messageTitle, warning, QStringLiteral("Передать всё равно")))
        return;
    // The text as checked is the text written, taken from the box once; the
    // script only runs on a complete tmp.vkp.
    Status failure = ExportPatchText(text);
    if (!failure)
        failure = LaunchFlasherScript();
    if (failure)
        report(*failure);
}

void MainWindow::report(const Failure &failure)
{
    showMessageBox(this, QMessageBox::Critical, messageTitle, failure.message());
}

// Said once what asked for it is over: an activation, a listing.
void MainWindow::laterReport(const Failure &failure)
{
    QMetaObject::invokeMethod(this, [this, failure] { report(failure); }, Qt::QueuedConnection);
}

void MainWindow::addEditActions()
{
    // The menu shows the keys; Enter is the lists' own, not a shortcut.
    m_append = new QAction(QStringLiteral("Добавить\tEnter"), this);
    m_takeOff = new QAction(QStringLiteral("Снять с телефона\tShift+Enter"), this);
    m_takeOff->setShortcuts({QKeySequence(Qt::SHIFT | Qt::Key_Return), QKeySequence(Qt::SHIFT | Qt::Key_Enter)});
    m_takeOff->setShortcutContext(Qt::WidgetShortcut);
    m_takeOff->setAutoRepeat(false);
    m_withOldBytes = new QAction(QStringLiteral("Добавить со старыми байтами из копии"), this);
    m_saveCopy = new QAction(QStringLiteral("Сохранить копию после прошивки…\tCtrl+S"), this);
    m_saveCopy->setShortcut(QKeySequence::Save);
    m_saveCopy->setShortcutContext(Qt::WindowShortcut);
    addAction(m_saveCopy);
    connect(m_append, &QAction::triggered, this, [this] {
        if (const QString path = currentEntry(); !path.isEmpty())
            appendAndSay(path);
    });
    connect(m_takeOff, &QAction::triggered, this, &MainWindow::takeOffCurrent);
    connect(m_withOldBytes, &QAction::triggered, this, &MainWindow::appendWithOldBytes);
    connect(m_saveCopy, &QAction::triggered, this, &MainWindow::saveCopyAfterFlash);

    QAbstractItemView *const views[] = {ui->lstDel, ui->lstFast, ui->lstOther, ui->lstFolder};
    for (QAbstractItemView *view : views) {
        view->addAction(m_takeOff);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint &at) { showEntryMenu(view, at); });
    }
    // The text box's own menu, and the copy of the whole text.
    ui->txtPath->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ui->txtPath, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        const std::unique_ptr<QMenu> menu(ui->txtPath->createStandardContextMenu(at));
        menu->addSeparator();
        menu->addAction(m_saveCopy);
        m_saveCopy->setEnabled(m_backup.has_value());
        menu->exec(ui->txtPath->viewport()->mapToGlobal(at));
        m_saveCopy->setEnabled(true);
    });
}

// The menu of the entry under the pointer, which becomes the current one.
void MainWindow::showEntryMenu(QAbstractItemView *view, const QPoint &at)
{
    const QModelIndex index = view->indexAt(at);
    if (!index.isValid())
        return;
    view->setCurrentIndex(index);
    QMenu menu(this);
    menu.addAction(m_append);
    menu.addAction(m_takeOff);
    menu.addAction(m_withOldBytes);
    menu.addSeparator();
    menu.addAction(m_saveCopy);
    m_withOldBytes->setEnabled(m_backup.has_value());
    m_saveCopy->setEnabled(m_backup.has_value());
    menu.exec(view->viewport()->mapToGlobal(at));
    // Ctrl+S works outside the menu too, and says what it needs.
    m_saveCopy->setEnabled(true);
}

// The patch file of the entry the visible tab's list stands on.
QString MainWindow::currentEntry() const
{
    const int tab = ui->SSTab1->currentIndex();
    if (tab == folderTabIndex)
        return m_folderTab->currentPath();
    const PatchCategory &category = patchCatalogue()[std::size_t(tab)];
    const int row = m_lists[std::size_t(category.category)]->currentRow();
    return row < 0 ? QString() : PatchFilePath(category.category, row);
}

void MainWindow::takeOffCurrent()
{
    if (const QString path = currentEntry(); !path.isEmpty())
        appendEdited(takeOffFile(path, m_backup));
}

void MainWindow::appendWithOldBytes()
{
    const QString path = currentEntry();
    if (path.isEmpty())
        return;
    if (!m_backup) {
        showMessageBox(this, QMessageBox::Information, messageTitle,
                       QStringLiteral("Старые байты берутся из копии прошивки: выберите её кнопкой «Сверить с копией прошивки…»."));
        return;
    }
    appendEdited(fillFromBackup(path, *m_backup));
}

void MainWindow::appendEdited(const EditedPatch &edited)
{
    if (edited.backupFailure) {
        stopUsingBackup();
        report(*edited.backupFailure);
        return;
    }
    if (edited.failure) {
        showMessageBox(this, QMessageBox::Warning, messageTitle, edited.failure->message());
        return;
    }
    m_patchText->append(edited.appended);
    if (!edited.note.isEmpty())
        showMessageBox(this, QMessageBox::Warning, messageTitle, edited.note);
}

// The backup in use with the whole text written into it, saved where the
// user says and used from then on, so that the marks show what the phone
// holds after the flash.
void MainWindow::saveCopyAfterFlash()
{
    if (!m_backup) {
        showMessageBox(this, QMessageBox::Information, messageTitle,
                       QStringLiteral("Копия после прошивки — это копия прошивки с записанным в неё текстом: сначала выберите "
                                      "копию прошивки кнопкой «Сверить с копией прошивки…»."));
        return;
    }
    const PatchReading reading = readPatchText(m_patchText->text());
    if (reading.records.empty() && reading.findings.empty()) {
        showMessageBox(this, QMessageBox::Information, messageTitle,
                       QStringLiteral("В поле патча нет ни одной записи: копия после прошивки была бы той же копией прошивки."));
        return;
    }
    FlashedCopy copy;
    if (const Status failure = flashedCopy(*m_backup, reading, copy)) {
        stopUsingBackup();
        report(*failure);
        return;
    }
    if (copy.refused) {
        showMessageBox(this, QMessageBox::Warning, messageTitle, copy.refused->message());
        return;
    }
    // Beside the backup, under a name of its own: over it only when chosen.
    const QFileInfo backup(m_backup->path);
    QFileDialog &dialog = copyDialog();
    dialog.setDirectory(backup.absolutePath());
    dialog.selectFile(QStringLiteral("%1-после-прошивки.bin").arg(backup.completeBaseName()));
    const std::optional<QString> chosen = askIn(dialog, this);
    if (!chosen)
        return;
    if (const Status failure = saveFlashedCopy(*chosen, copy.bytes)) {
        report(*failure);
        return;
    }
    useBackup(*chosen);
}
