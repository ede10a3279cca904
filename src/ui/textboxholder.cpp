#include "textboxholder.h"

#include <QPlainTextEdit>
#include <QTextCursor>

QString TextBoxHolder::text() const
{
    // toPlainText() would turn no-break spaces, a byte of the code page, into blanks.
    const QString raw = m_edit->document()->toRawText();
    // Each paragraph or line separator (Shift+Enter) becomes CR LF, written
    // into a string of the final size: replace() grew the text in steps and
    // took longer than reading it out of the document.
    const qsizetype lineEnds = raw.count(QChar::ParagraphSeparator) + raw.count(QChar::LineSeparator);
    QString text(raw.size() + lineEnds, Qt::Uninitialized);
    QChar *out = text.data();
    for (const QChar c : raw) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
            *out++ = u'\r';
            *out++ = u'\n';
        } else {
            *out++ = c;
        }
    }
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
