#include "textboxholder.h"

#include <QPlainTextEdit>
#include <QTextCursor>

QString TextBoxHolder::text() const
{
    // toPlainText() would turn no-break spaces, a byte of the code page, into blanks.
    QString text = m_edit->document()->toRawText();
    const QString lineEnd = QStringLiteral("\r\n");
    text.replace(QChar::ParagraphSeparator, lineEnd);
    text.replace(QChar::LineSeparator, lineEnd); // Shift+Enter
    return text;
}

void TextBoxHolder::setText(const QString &text)
{
    // A new document rather than an edit: while undo is on, the document keeps
    // every character it ever held, so only this gives the memory back.
    m_edit->setPlainText(text); // CR LF makes one block, as LF does
}

void TextBoxHolder::append(const QString &more)
{
    // Insert at the end rather than set the whole text again: the cost is that
    // of `more` alone, and Ctrl+Z takes the append back in one step.
    QTextCursor cursor(m_edit->document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    cursor.insertText(more);
    cursor.endEditBlock();
    m_edit->setTextCursor(cursor); // and scrolls it into view
}
