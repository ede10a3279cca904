#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "assembly/assembly.h"
#include "entries/entrystate.h"
#include "handover/handover.h"
#include "messagebox.h"
#include "patchentryitem.h"
#include "patchformat/patchwarnings.h"
#include "runtime/programdirectory.h"
#include "startup.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QTabBar>
#include <utility>

namespace {

// Qt's file dialog writes the folders it visited into the user's settings
// when it is destroyed, and the program keeps no state between runs: its one
// dialog lives as long as the program.
QFileDialog &backupDialog()
{
    static QFileDialog *const dialog = [] {
        auto *d = new QFileDialog(nullptr, QStringLiteral("Копия прошивки"), programDirectory(),
                                  QStringLiteral("Все файлы (*);;Копии прошивки (*.bin)"));
        d->setFileMode(QFileDialog::ExistingFile);
        // Qt's own dialog speaks English where no translation of Qt is installed.
        d->setLabelText(QFileDialog::LookIn, QStringLiteral("Папка:"));
        d->setLabelText(QFileDialog::FileName, QStringLiteral("Файл:"));
        d->setLabelText(QFileDialog::FileType, QStringLiteral("Показывать:"));
        d->setLabelText(QFileDialog::Accept, QStringLiteral("Сверить"));
        d->setLabelText(QFileDialog::Reject, QStringLiteral("Отмена"));
        return d;
    }();
    return *dialog;
}

// The one local file a drag brings, or nothing.
QString draggedFile(const QMimeData *mime)
{
    const QList<QUrl> urls = mime->urls();
    return urls.size() == 1 && urls.front().isLocalFile() ? urls.front().toLocalFile() : QString();
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::MainWindow>())
{
    ui->setupUi(this);
    setFixedSize(size());
    setWindowIcon(QIcon(QStringLiteral(":/icons/kelvarine.ico")));
    ui->vklay->setIcon(QIcon(QStringLiteral(":/icons/vklay.ico")));
    // Where MS Sans Serif is missing, fall back to a sans-serif face, not any face.
    QFont clearFont = ui->cmdClear->font();
    clearFont.setStyleHint(QFont::SansSerif);
    ui->cmdClear->setFont(clearFont);

    // The tab bar stands for the tab control, whose lists come after the buttons.
    QWidget *const order[] = {ui->SSTab1->tabBar(), ui->txtPath, ui->vklay,     ui->lstDel,     ui->lstFast,
                              ui->lstOther,          ui->cmdClear, ui->cmdBackup, ui->cmdNoBackup};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    m_patchText = std::make_unique<TextBoxHolder>(ui->txtPath);
    fillCatalogue();
    connect(ui->cmdClear, &QPushButton::clicked, this, &MainWindow::clearPatch);
    connect(ui->vklay, &QPushButton::clicked, this, &MainWindow::handOver);

    // A backup file dropped anywhere, the text box included, is the backup to use.
    setAcceptDrops(true);
    ui->txtPath->viewport()->installEventFilter(this);
    ui->cmdBackup->setShortcut(QKeySequence::Open);
    connect(ui->cmdBackup, &QPushButton::clicked, this, &MainWindow::askForBackup);
    connect(ui->cmdNoBackup, &QToolButton::clicked, this, &MainWindow::stopUsingBackup);
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
        for (QStringView entry : category.entries)
            list->addItem(new PatchEntryItem(entry.toString(), category.category, index++));
        // The signal comes only from a double-click on an entry, so the row is
        // always a real index, never -1 for "no entry".
        connect(list, &QListWidget::itemDoubleClicked, this,
                [this, c = category.category, list](QListWidgetItem *item) { appendFrom(c, list->row(item)); });
        list->installEventFilter(this);
        m_lists[std::size_t(category.category)] = list;
    }
    refreshEntries();
}

// What each entry is now: its file, and its patch against the backup in use.
void MainWindow::refreshEntries()
{
    Status failure;
    const std::vector<EntryState> states = m_backup ? lookAtEntries(*m_backup, failure) : lookAtEntries();
    if (failure)
        dropBackup(*failure);
    showEntries(states);
}

void MainWindow::showEntries(const std::vector<EntryState> &states)
{
    for (const EntryState &state : states)
        static_cast<PatchEntryItem *>(m_lists[std::size_t(state.category)]->item(state.index))->show(state, m_backup.has_value());
}

// The backup no longer reads: it is no longer used, and the user is told.
void MainWindow::dropBackup(const Failure &failure)
{
    m_backup.reset();
    showBackup();
    // Said once the activation that asked for the check is over.
    QMetaObject::invokeMethod(this, [this, failure] { report(failure); }, Qt::QueuedConnection);
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
        appendFrom(category, row);
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

// A drag that brings one file is taken for a backup; any other is left alone.
bool MainWindow::takeDrop(QEvent *event)
{
    const bool entering = event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove;
    if (!entering && event->type() != QEvent::Drop)
        return false;
    auto *drop = static_cast<QDropEvent *>(event);
    const QString file = draggedFile(drop->mimeData());
    if (file.isEmpty())
        return false;
    drop->acceptProposedAction();
    // After the drop: a box inside it would hold up the program it came from.
    if (!entering)
        QMetaObject::invokeMethod(this, [this, file] { useBackup(file); }, Qt::QueuedConnection);
    return true;
}

void MainWindow::askForBackup()
{
    QFileDialog &dialog = backupDialog();
    dialog.setParent(this, dialog.windowFlags());
    const bool chosen = dialog.exec() == QDialog::Accepted;
    // A completion list left open would outlive the dialog, which stays.
    for (const QCompleter *completer : dialog.findChildren<QCompleter *>())
        completer->popup()->hide();
    dialog.setParent(nullptr, dialog.windowFlags());
    if (chosen && !dialog.selectedFiles().isEmpty())
        useBackup(dialog.selectedFiles().front());
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

void MainWindow::appendFrom(Category category, int index)
{
    QString added;
    if (const Status failure = AppendPatchFile(*m_patchText, category, index, maxPatchFileBytes, &added)) {
        report(*failure);
        return;
    }
    // The file read alone: an offset or a pragma it leaves on shifts every
    // patch after it.
    const QString warning = appendWarning(readPatchText(fileLines(added), RecordBytes::Counted), PatchFilePath(category, index));
    if (!warning.isEmpty())
        showMessageBox(this, QMessageBox::Warning, messageTitle, warning);
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
