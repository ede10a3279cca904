#include "livetext.h"

#include "backupinuse.h"
#include "patchtextedit.h"
#include "textchecker.h"

#include <QAction>

LiveText::LiveText(PatchTextEdit *edit, BackupInUse &backup, QWidget *window)
    : QObject(window)
    , m_edit(edit)
    , m_checker(new TextChecker({[edit] { return edit->toPlainText(); }, [&backup] { return backup.backup(); }}, this))
{
    connect(edit, &PatchTextEdit::edited, m_checker, [this] {
        if (m_edit->marked())
            m_checker->edited();
    });
    connect(edit, &PatchTextEdit::markedChanged, m_checker, [this](bool marked) {
        if (marked)
            m_checker->checkNow();
    });
    connect(&backup, &BackupInUse::changed, m_checker, &TextChecker::checkNow);
    connect(m_checker, &TextChecker::checked, this, [this, &backup](const TextCheck &check) {
        m_edit->showCheck(check);
        // Gone while the text was checked: the one path every other look takes.
        if (check.backupFailure && backup.backup())
            backup.lost(*check.backupFailure, BackupInUse::Tell::Later);
    });
    for (const bool forward : {true, false}) {
        auto *go = new QAction(forward ? QStringLiteral("К следующему замечанию") : QStringLiteral("К предыдущему замечанию"), window);
        go->setShortcut(forward ? QKeySequence(Qt::Key_F8) : QKeySequence(Qt::SHIFT | Qt::Key_F8));
        go->setShortcutContext(Qt::WindowShortcut);
        window->addAction(go);
        connect(go, &QAction::triggered, this, [this, forward] {
            m_edit->nextFinding(forward);
            m_edit->setFocus();
        });
    }
    m_checker->checkNow();
}
