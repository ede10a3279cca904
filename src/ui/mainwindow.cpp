#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "backupinuse.h"
#include "copyafterflash.h"
#include "drops.h"
#include "entryactions.h"
#include "foldertab.h"
#include "livetext/lineactions.h"
#include "livetext/livetext.h"
#include "messagebox.h"
#include "patchentryitem.h"
#include "entryview.h"
#include "textboxholder.h"

#include "assembly/assembly.h"
#include "handover/handover.h"
#include "patchformat/description.h"
#include "patchformat/patchwarnings.h"

#include <QTabBar>
#include <utility>

// The form's grid gives the tabs and the text each half of what the window
// grows by, and the buttons keep their size at the bottom. The tabs' own row
// starts a pixel short and the row they grow by a pixel tall: of an odd
// pixel, Qt gives the first of two rows that grow alike the more, and the
// text has it as the window was drawn.
MainWindow::MainWindow(QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::MainWindow>())
{
    ui->setupUi(this);
    // Shown or not, the ✕ keeps its place.
    QSizePolicy stopPolicy = ui->cmdNoBackup->sizePolicy();
    stopPolicy.setRetainSizeWhenHidden(true);
    ui->cmdNoBackup->setSizePolicy(stopPolicy);
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
    m_backup = new BackupInUse({ui->cmdBackup, ui->lblBackup, ui->cmdNoBackup}, this);
    m_folderTab = new FolderTab(
        {ui->cmdFolder, ui->lblFolder, ui->txtFilter, ui->lstFolder, ui->lblFolderCount, ui->SSTab1},
        {[this](const Failure &failure) { laterReport(this, failure); },
         [this](const Failure &failure) { m_backup->lost(failure, BackupInUse::Tell::Later); },
         [this](const QString &text) { inform(this, text); }, [this] { return m_backup->backup(); }},
        this);
    const auto *copy = new CopyAfterFlash(*m_backup, *m_patchText, ui->txtPath, this);
    new LiveText(ui->txtPath, *m_backup, this);
    new LineActions(ui->txtPath, *m_backup, *m_patchText, this);
    new EntryActions({ui->lstDel, ui->lstFast, ui->lstOther, ui->lstFolder}, copy->action(), *m_backup, *m_patchText,
                     [this](const QString &path) { appendAndSay(path); }, this);
    new Drops(this, ui->txtPath->viewport(),
              {[this](const QString &path) {
                   const Appended appended = appendFile(path);
                   return appended.failure ? appended.failure->message() : appended.warning;
               },
               [this](const Backup &backup) { m_backup->use(backup); }, [this](const QString &folder) { m_folderTab->use(folder); }});
    connect(m_backup, &BackupInUse::changed, this, &MainWindow::lookAgain);
    connect(ui->cmdClear, &QPushButton::clicked, this, [this] { ClearPatchText(*m_patchText); });
    connect(ui->vklay, &QPushButton::clicked, this, &MainWindow::handOver);
    fillCatalogue();
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
        m_lists[std::size_t(category.category)] = list;
    }
    ui->SSTab1->setTabText(ui->SSTab1->indexOf(ui->lstFolderPage), QStringLiteral("Другие патчи"));
    ui->lstFolder->setAccessibleName(QStringLiteral("Другие патчи"));
    lookAgain();
}

// What each entry is now: its file, what it says of itself, and its patch
// against the backup in use; and the folder's patches the same way. A
// backup that no longer reads is lost, and all is looked at again without it.
void MainWindow::lookAgain()
{
    Status failure;
    const std::vector<EntryState> states = lookAtFiles(catalogueFiles(), Look::Start, m_backup->backup(), failure);
    if (failure)
        return m_backup->lost(*failure, BackupInUse::Tell::Later);
    showEntries(states);
    m_folderTab->refresh(m_backup->backup());
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

// Patches the user copied in while the window was in the background show when
// it comes back; its first activation follows the check at start.
void MainWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange) {
        if (!isActiveWindow())
            m_filesMayHaveChanged = true;
        else if (std::exchange(m_filesMayHaveChanged, false))
            lookAgain();
    }
    QWidget::changeEvent(event);
}

// Appends the patch file and says what the user should know of it.
void MainWindow::appendAndSay(const QString &path)
{
    const Appended appended = appendFile(path);
    if (appended.failure)
        report(this, *appended.failure);
    else if (!appended.warning.isEmpty())
        warn(this, appended.warning);
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

void MainWindow::handOver()
{
    const QString text = m_patchText->text();
    const std::optional<Backup> backup = m_backup->backup();
    // Bytes are compared only with a backup.
    const PatchReading reading = readPatchText(text, backup ? RecordBytes::Kept : RecordBytes::Counted);
    std::vector<WarningItem> more;
    if (backup) {
        if (const Status failure = checkAgainstBackup(*backup, reading, more))
            return m_backup->lost(*failure, BackupInUse::Tell::Now);
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
        report(this, *failure);
}
