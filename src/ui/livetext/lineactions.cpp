#include "lineactions.h"

#include "backupinuse.h"
#include "editedpatch.h"
#include "messagebox.h"
#include "patchtextedit.h"

#include "assembly/patchtextholder.h"
#include "backup/backupedit.h"
#include "entries/entryedit.h"
#include "patchformat/patchoverlaps.h"
#include "patchformat/words.h"

#include <QMenu>
#include <QTextBlock>
#include <QTextCursor>

LineActions::LineActions(PatchTextEdit *edit, BackupInUse &backup, PatchTextHolder &text, QWidget *window)
    : QObject(window)
    , m_edit(edit)
    , m_backup(backup)
    , m_text(text)
    , m_window(window)
{
    edit->setLineActions([this](QMenu &menu, int line) { offer(menu, line); });
}

// Asked of the text as it stands, not of the last check: typing may not
// have paused since.
void LineActions::offer(QMenu &menu, int line)
{
    const QString text = m_text.text();
    const PatchReading reading = readPatchText(text);
    for (const PatchRecord &record : reading.records) {
        if (record.line != line || !oldBytesToFill(reading, record))
            continue;
        QAction *fillIn = menu.addAction(QStringLiteral("Заполнить старые байты записи из копии"));
        fillIn->setEnabled(m_backup.backup().has_value());
        connect(fillIn, &QAction::triggered, this, [this, line] { fill(line); });
        break;
    }
    const PatchLines patch = patchLinesAt(text, line);
    if (!patch.header)
        return;
    const QString name = quoted(patch.header->name);
    connect(menu.addAction(QStringLiteral("Снять патч %1 с телефона").arg(name)), &QAction::triggered, this,
            [this, line] { takeOff(line); });
    if (patch.repeated) {
        connect(menu.addAction(QStringLiteral("Убрать повтор патча %1 (строки %2–%3)").arg(name).arg(patch.first).arg(patch.last)),
                &QAction::triggered, this, [this, patch] { remove(patch.first, patch.last); });
    }
}

void LineActions::fill(int line)
{
    if (!backupToFillFrom(m_backup, m_window))
        return;
    const EditedLine edited = fillRecordAt(m_text.text(), line, *m_backup.backup());
    if (edited.backupFailure)
        return m_backup.lost(*edited.backupFailure, BackupInUse::Tell::Now);
    if (edited.failure)
        return warn(m_window, edited.failure->message());
    QTextCursor cursor(m_edit->document()->findBlockByNumber(line - 1));
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(edited.text);
    m_edit->setTextCursor(cursor);
}

void LineActions::takeOff(int line)
{
    appendEdited(takeOffPatchAt(m_text.text(), line, m_backup.backup()), m_backup, m_text, m_window);
}

// The lines with their line ends; the last line of the text with the one before it.
void LineActions::remove(int first, int last)
{
    QTextDocument *document = m_edit->document();
    const QTextBlock from = document->findBlockByNumber(first - 1), after = document->findBlockByNumber(last);
    QTextCursor cursor(document);
    if (after.isValid()) {
        cursor.setPosition(from.position());
        cursor.setPosition(after.position(), QTextCursor::KeepAnchor);
    } else {
        cursor.setPosition(first > 1 ? from.position() - 1 : 0);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    }
    cursor.removeSelectedText();
    m_edit->setTextCursor(cursor);
}
