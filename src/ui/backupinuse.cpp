#include "backupinuse.h"

#include "filedialogs.h"
#include "messagebox.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

BackupInUse::BackupInUse(Widgets widgets, QWidget *window)
    : QObject(window)
    , m_widgets(widgets)
    , m_window(window)
{
    m_widgets.choose->setShortcut(QKeySequence::Open);
    connect(m_widgets.choose, &QPushButton::clicked, this, [this] {
        if (const std::optional<QString> chosen = askIn(backupDialog(), m_window))
            use(*chosen);
    });
    connect(m_widgets.stop, &QToolButton::clicked, this, [this] { set(std::nullopt); });
    show();
}

void BackupInUse::use(const QString &path)
{
    Backup backup;
    if (const Status failure = chooseBackup(path, backup))
        return report(m_window, *failure);
    set(backup);
}

void BackupInUse::use(const Backup &backup)
{
    set(backup);
}

void BackupInUse::lost(const Failure &failure, Tell when)
{
    if (!m_backup)
        return;
    set(std::nullopt);
    if (when == Tell::Now)
        report(m_window, failure);
    else
        laterReport(m_window, failure);
}

void BackupInUse::set(const std::optional<Backup> &backup)
{
    m_backup = backup;
    show();
    emit changed();
}

void BackupInUse::show()
{
    const QString text = m_backup ? QStringLiteral("Копия: %1").arg(QFileInfo(m_backup->path).fileName())
                                  : QStringLiteral("Копия прошивки не выбрана");
    QLabel *name = m_widgets.name;
    name->setText(name->fontMetrics().elidedText(text, Qt::ElideMiddle, name->width()));
    name->setToolTip(m_backup ? QDir::toNativeSeparators(m_backup->path) : QString());
    m_widgets.choose->setAccessibleDescription(text);
    m_widgets.stop->setVisible(m_backup.has_value());
}
