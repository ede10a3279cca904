#include "drops.h"

#include "messagebox.h"

#include "patchfolder/drop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

Drops::Drops(QWidget *window, QWidget *textBox, Calls calls)
    : QObject(window)
    , m_window(window)
    , m_calls(std::move(calls))
{
    window->setAcceptDrops(true);
    window->installEventFilter(this);
    textBox->installEventFilter(this);
}

// A drag that brings local files or folders is taken; any other is left alone.
bool Drops::eventFilter(QObject *watched, QEvent *event)
{
    const bool entering = event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove;
    if (!entering && event->type() != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    auto *drop = static_cast<QDropEvent *>(event);
    QStringList paths;
    for (const QUrl &url : drop->mimeData()->urls()) {
        if (url.isLocalFile())
            paths += url.toLocalFile();
    }
    if (paths.isEmpty())
        return QObject::eventFilter(watched, event);
    drop->acceptProposedAction();
    // After the drop: a box inside it would hold up the program it came from.
    if (!entering)
        QMetaObject::invokeMethod(this, [this, paths] { use(paths); }, Qt::QueuedConnection);
    return true;
}

void Drops::use(const QStringList &paths)
{
    const DropPlan plan = planDrop(paths);
    if (plan.refused)
        return report(m_window, *plan.refused);
    QStringList said = plan.notes;
    for (const QString &path : plan.patches) {
        if (const QString saying = m_calls.append(path); !saying.isEmpty())
            said += saying;
    }
    // The backup first: a folder dropped with it is listed against it.
    if (plan.backup)
        m_calls.useBackup(*plan.backup);
    if (plan.folder)
        m_calls.useFolder(*plan.folder);
    if (!said.isEmpty())
        warn(m_window, said.join(QStringLiteral("\n\n")));
}
