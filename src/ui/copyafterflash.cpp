#include "copyafterflash.h"

#include "backupinuse.h"
#include "filedialogs.h"
#include "livetext/patchtextedit.h"
#include "messagebox.h"

#include "assembly/patchtextholder.h"
#include "backup/backupcopy.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QRegularExpression>

namespace {

// Saved over the backup in use, the copy takes the place of the only record
// of what the phone held: the program asks itself, «Нет» by default, and
// Qt's dialog does not ask again.
class CopyDialog : public QFileDialog
{
public:
    QString backup;

    void accept() override
    {
        const QStringList chosen = selectedFiles();
        const QFileInfo target(chosen.value(0));
        if (backup.isEmpty() || !target.exists() || target.canonicalFilePath() != QFileInfo(backup).canonicalFilePath())
            return QFileDialog::accept();
        QMessageBox box(QMessageBox::Warning, messageTitle,
                        QStringLiteral("Заменить копию прошивки %1 копией после прошивки?\n\n"
                                       "Этот файл — единственная запись того, что было на телефоне до прошивки: после замены "
                                       "её не вернуть. А если прошивка ещё не сделана или не удалась, в файле будет то, "
                                       "чего на телефоне нет.")
                            .arg(QDir::toNativeSeparators(backup)),
                        QMessageBox::Yes | QMessageBox::No, this);
        box.setDefaultButton(QMessageBox::No);
        if (box.exec() != QMessageBox::Yes)
            return;
        setOption(DontConfirmOverwrite);
        QFileDialog::accept();
        setOption(DontConfirmOverwrite, false);
    }
};

CopyDialog &copyDialog()
{
    static CopyDialog *const dialog = [] {
        auto *d = new CopyDialog;
        shapeDialog(*d, QStringLiteral("Копия после прошивки"));
        d->setAcceptMode(QFileDialog::AcceptSave);
        d->setNameFilters({QStringLiteral("Копии прошивки (*.bin)"), QStringLiteral("Все файлы (*)")});
        d->setDefaultSuffix(QStringLiteral("bin"));
        return d;
    }();
    return *dialog;
}

} // namespace

QString offeredCopyName(const QString &backup)
{
    static const QRegularExpression copyOfCopy(QStringLiteral("-после-прошивки(-\\d+)?$"));
    const QFileInfo file(backup);
    const QString base = file.completeBaseName().remove(copyOfCopy);
    for (int n = 1;; ++n) {
        const QString name = QStringLiteral("%1-после-прошивки%2.bin").arg(base, n > 1 ? QStringLiteral("-%1").arg(n) : QString());
        if (!file.dir().exists(name))
            return file.dir().filePath(name);
    }
}

CopyAfterFlash::CopyAfterFlash(BackupInUse &backup, PatchTextHolder &text, PatchTextEdit *textBox, QWidget *window)
    : QObject(window)
    , m_backup(backup)
    , m_text(text)
    , m_window(window)
    , m_action(new QAction(QStringLiteral("Сохранить копию после прошивки…\tCtrl+S"), window))
{
    m_action->setShortcut(QKeySequence::Save);
    m_action->setShortcutContext(Qt::WindowShortcut);
    window->addAction(m_action);
    connect(m_action, &QAction::triggered, this, &CopyAfterFlash::save);
    // In the text box's own menu too: the copy of the whole text.
    textBox->addMenuAction(m_action);
    connect(textBox, &PatchTextEdit::menuAboutToShow, this, [this] { m_action->setEnabled(m_backup.backup().has_value()); });
    connect(textBox, &PatchTextEdit::menuClosed, this, [this] { m_action->setEnabled(true); });
}

void CopyAfterFlash::save()
{
    if (!m_backup.backup()) {
        inform(m_window, QStringLiteral("Копия после прошивки — это копия прошивки с записанным в неё текстом: сначала выберите "
                                        "копию прошивки кнопкой «Сверить с копией прошивки…»."));
        return;
    }
    const Backup backup = *m_backup.backup();
    const PatchReading reading = readPatchText(m_text.text());
    if (reading.records.empty() && reading.findings.empty()) {
        inform(m_window, QStringLiteral("В поле патча нет ни одной записи: копия после прошивки была бы той же копией прошивки."));
        return;
    }
    FlashedCopy copy;
    if (const Status failure = flashedCopy(backup, reading, copy))
        return m_backup.lost(*failure, BackupInUse::Tell::Now);
    if (copy.refused)
        return warn(m_window, copy.refused->message());
    // Beside the backup, under a name of its own: over it only when chosen.
    CopyDialog &dialog = copyDialog();
    dialog.backup = backup.path;
    const QString offered = offeredCopyName(backup.path);
    dialog.setDirectory(QFileInfo(offered).absolutePath());
    dialog.selectFile(QFileInfo(offered).fileName());
    const std::optional<QString> chosen = askIn(dialog, m_window);
    if (!chosen)
        return;
    if (const Status failure = saveFlashedCopy(*chosen, copy.bytes))
        return report(m_window, *failure);
    m_backup.use(*chosen);
}
