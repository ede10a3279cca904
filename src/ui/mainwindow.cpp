#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "assembly/assembly.h"
#include "handover/handover.h"
#include "messagebox.h"
#include "patchentryitem.h"
#include "patchformat/patchwarnings.h"
#include "startup.h"

#include <QKeyEvent>
#include <QTabBar>
#include <utility>

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
    QWidget *const order[] = {ui->SSTab1->tabBar(), ui->txtPath, ui->vklay, ui->lstDel,
                              ui->lstFast, ui->lstOther, ui->cmdClear};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    m_patchText = std::make_unique<TextBoxHolder>(ui->txtPath);
    fillCatalogue();
    connect(ui->cmdClear, &QPushButton::clicked, this, &MainWindow::clearPatch);
    connect(ui->vklay, &QPushButton::clicked, this, &MainWindow::handOver);
}

MainWindow::~MainWindow() = default;

void MainWindow::fillCatalogue()
{
    int tab = 0;
    for (const PatchCategory &category : patchCatalogue()) {
        ui->SSTab1->setTabText(tab++, category.tabCaption.toString());
        auto *list = findChild<QListWidget *>(category.listName.toString());
        list->setAccessibleName(category.tabCaption.toString());
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
    checkPatchFiles();
}

void MainWindow::checkPatchFiles()
{
    for (QListWidget *list : m_lists) {
        for (int row = 0; row < list->count(); ++row)
            static_cast<PatchEntryItem *>(list->item(row))->checkFile();
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
            checkPatchFiles();
    }
    QWidget::changeEvent(event);
}

// Return or Enter on an entry appends it as a double-click does, once a press.
bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            for (const PatchCategory &category : patchCatalogue()) {
                const QListWidget *list = m_lists[std::size_t(category.category)];
                if (list == watched && !key->isAutoRepeat() && list->currentRow() >= 0)
                    appendFrom(category.category, list->currentRow());
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::appendFrom(Category category, int index)
{
    QString added;
    if (const Status failure = AppendPatchFile(*m_patchText, category, index, maxPatchFileBytes, &added)) {
        report(*failure);
        return;
    }
    // The file read alone, as its own lines after the CR LF the append opens
    // with: an offset or a pragma it leaves on shifts every patch after it.
    const QString warning = appendWarning(readPatchText(QStringView(added).sliced(2)), PatchFilePath(category, index));
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
    const QString warning = handoverWarning(text, readPatchText(text));
    if (!warning.isEmpty() && !askToGoOn(this, messageTitle, warning, QStringLiteral("Передать всё равно")))
        return;
    // The script only runs on a complete tmp.vkp.
    Status failure = ExportPatchText(*m_patchText);
    if (!failure)
        failure = LaunchFlasherScript();
    if (failure)
        report(*failure);
}

void MainWindow::report(const Failure &failure)
{
    showMessageBox(this, QMessageBox::Critical, messageTitle, failure.message());
}
