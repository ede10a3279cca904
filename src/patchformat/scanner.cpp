#include "scanner.h"

#include "runtime/codepage.h"

#include <QChar>
#include <algorithm>

bool isLetterBeyondAscii(char16_t c)
{
    return c != pastEnd && QChar(c).isLetter();
}

bool startsLineComment(QStringView text)
{
    const char16_t c = text.isEmpty() ? pastEnd : text.front().unicode();
    if (c == ';' || (c == '/' && text.startsWith(u"//")))
        return true;
    if (c != '#')
        return false;
    return !text.startsWith(pragmaWord, Qt::CaseInsensitive)
        || (text.size() > pragmaWord.size() && isWord(text[pragmaWord.size()].unicode()));
}

Scanner::Scanner(QStringView text, Findings &findings)
    : m_text(text)
    , m_data(text.utf16())
    , m_size(text.size())
    , m_findings(findings)
{
}


bool Scanner::commentMarkAt() const
{
    const char16_t c = peek(), next = peek(1);
    return (c == '/' && (next == '*' || next == '/')) || (c == '*' && next == '/');
}

void Scanner::newLine(qsizetype lineFeed)
{
    m_at = lineFeed + 1;
    ++m_line;
    m_lineStart = m_at;
}

void Scanner::passLineBreak()
{
    if (peek() == '\r' && peek(1) == '\n') {
        newLine(m_at + 1);
        return;
    }
    // Nothing follows a CR at the very end that could be read otherwise.
    if (peek() == '\r' && m_at + 1 < m_size)
        m_findings.standalone(FindingKind::BareCarriageReturn, mark(), m_at + 1);
    newLine(m_at);
}

// A backslash at the very end of a line joins the next line on, wherever it stands.
bool Scanner::skipJoin()
{
    if (peek() != '\\' || (peek(1) != '\n' && peek(1) != '\r'))
        return false;
    ++m_at;
    passLineBreak();
    return true;
}

char16_t Scanner::currentAfterJoins()
{
    while (skipJoin()) {
    }
    return peek();
}

void Scanner::skipBlockComment()
{
    const Mark opened = mark();
    const qsizetype close = m_text.indexOf(u"*/", m_at + 2);
    const qsizetype end = close < 0 ? m_size : close + 2;
    for (qsizetype at = m_at; at < end; ++at) {
        if (m_data[at] == '\n' || (m_data[at] == '\r' && (at + 1 == m_size || m_data[at + 1] != '\n'))) {
            ++m_line;
            m_lineStart = at + 1;
        }
    }
    m_at = end;
    if (close < 0)
        m_findings.standalone(FindingKind::UnclosedComment, opened, opened.at + 2);
}

bool Scanner::skipGapFrom(char16_t c)
{
    const Mark from = mark();
    for (;; c = peek()) {
        if (isBlank(c)) {
            ++m_at;
        } else if (c == '/' && peek(1) == '*') {
            skipBlockComment();
        } else if (c == '*' && peek(1) == '/') {
            m_findings.standalone(FindingKind::StrayCommentEnd, mark(), m_at + 2);
            m_at += 2;
        } else if (!skipJoin()) {
            break;
        }
    }
    if (m_at == from.at)
        return false;
    m_gap = {from, m_at};
    return true;
}

qsizetype Scanner::skipLine()
{
    qsizetype contentEnd = afterGap() ? m_gap.from.at : m_at;
    while (!atEnd()) {
        const char16_t c = peek();
        if (atLineBreak()) {
            passLineBreak();
            break;
        }
        if (atLineComment()) {
            m_at = lineCommentEnd(m_data + m_at, m_data + m_size) - m_data;
        } else if (c == '/' && peek(1) == '*') {
            skipBlockComment();
        } else if (isBlank(c) || skipJoin()) {
            if (c != '\\')
                ++m_at;
        } else if (c == '"' || c == '\'') {
            quotedText(nullptr);
            contentEnd = m_at;
        } else {
            ++m_at;
            contentEnd = m_at;
        }
    }
    return contentEnd;
}

// At a backslash in a text: what it stands for, and whether that is a byte or
// a character of its own (`raw`).
char16_t Scanner::escape(bool &raw)
{
    const Mark from = mark();
    const char16_t c = peek(1);
    m_at += 2;
    raw = false;
    switch (c) {
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    case '\\':
    case '"':
    case '\'':
    case '/':
    case '*':
    // The blank and the backquote too: the character itself, as every
    // reader of the format takes them.
    case ' ':
    case '`':
        return c;
    case 'x':
    case 'X':
        if (isHex(peek())) {
            if (c == 'X')
                m_findings.doubt(FindingKind::CapitalLetters, from, m_at);
            int value = 0;
            for (int i = 0; i < 2 && isHex(peek()); ++i)
                value = value * 16 + hexValue(peek()), ++m_at;
            raw = true;
            return char16_t(value);
        }
        break;
    case pastEnd:
        --m_at;
        return '\\';
    default:
        if (c >= '0' && c <= '7') {
            int value = c - '0';
            for (int i = 0; i < 2 && peek() >= '0' && peek() <= '7'; ++i)
                value = value * 8 + (peek() - '0'), ++m_at;
            raw = true;
            return char16_t(value);
        }
    }
    // Read as the character itself, which is what most tools do.
    m_findings.doubt(FindingKind::UnknownEscape, from, m_at);
    return c;
}

bool Scanner::quotedText(QByteArray *bytes)
{
    const Mark from = mark();
    const char16_t quote = peek();
    bool marked = false;
    ++m_at;
    for (;;) {
        const char16_t c = current();
        if (atEnd() || atLineBreak()) {
            m_findings.error(FindingKind::UnclosedQuote, from, m_at);
            return false;
        }
        if (c == quote) {
            ++m_at;
            return !marked;
        }
        if (commentMarkAt()) {
            m_findings.error(FindingKind::CommentMarkInText, mark(), m_at + 2);
            // A /* or // is left where it stands: the tool takes it for a
            // comment all the same. A */ opens nothing, and the text goes on.
            if (c != '*')
                return false;
            marked = true;
            m_at += 2;
            continue;
        }
        bool raw = false;
        char16_t unit = c;
        if (c == '\\')
            unit = escape(raw);
        else
            ++m_at;
        if (!bytes)
            continue;
        if (quote == '\'') {
            bytes->append(char(unit & 0xFF));
            bytes->append(char(unit >> 8));
        } else if (raw) {
            bytes->append(char(unit & 0xFF));
        } else {
            QByteArray encoded;
            // The hand-over refuses a character the code page lacks anyway.
            bytes->append(encodeCodePage(QStringView(&unit, 1), encoded) ? QByteArray("?") : encoded);
        }
    }
}
