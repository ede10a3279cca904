#pragma once

#include "findings.h"

#include <QByteArray>
#include <QStringView>
#include <array>
#include <vector>

// Where lines, blanks, comments, joined lines and texts begin and end in a
// patch text, found the same way for every purpose: reading a statement, or
// passing over the rest of a line the tool cannot read.

inline constexpr char16_t pastEnd = 0xFFFF;

inline bool isBlank(char16_t c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

// Hex digits are nearly every character of a patch: a table for every
// character, not comparisons.
inline constexpr auto hexDigitValues = [] {
    std::array<signed char, 0x10000> values{};
    values.fill(-1);
    for (int i = 0; i < 10; ++i)
        values['0' + i] = static_cast<signed char>(i);
    for (int i = 0; i < 6; ++i)
        values['a' + i] = values['A' + i] = static_cast<signed char>(10 + i);
    return values;
}();

// The value of a hex digit, or -1.
inline int hexValue(char16_t c)
{
    return hexDigitValues[c];
}

inline bool isHex(char16_t c)
{
    return hexValue(c) >= 0;
}

bool isLetterBeyondAscii(char16_t c);

// What an item of a field or a word of a line is made of; letters beyond
// ASCII too, so that a placeholder typed in Cyrillic reads as one.
inline bool isWord(char16_t c)
{
    if (c < 0x80)
        return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') || c == '_' || c == '?';
    return isLetterBeyondAscii(c);
}

inline constexpr QStringView pragmaWord = u"#pragma";

// Whether `text` starts with a comment that runs to the end of its line: `;`,
// `//`, or `#` where it is not `#pragma`.
bool startsLineComment(QStringView text);

// Where a comment that runs to the end of its line ends: at its line break,
// or at `end`. A comment is short: a plain look at each character beats a
// search.
inline const char16_t *lineCommentEnd(const char16_t *at, const char16_t *end)
{
    while (at != end && *at != '\n' && *at != '\r')
        ++at;
    return at;
}

// The line that starts at `from`: where it ends, and where the next one
// starts. A line ends at CR LF, LF or a CR alone, as the tool, the text box
// and an append take it.
struct LineAt {
    qsizetype end;
    qsizetype next;
};
inline LineAt lineAt(QStringView text, qsizetype from)
{
    const qsizetype end = lineCommentEnd(text.utf16() + from, text.utf16() + text.size()) - text.utf16();
    return {end, end + (text.sliced(end).startsWith(u"\r\n") ? 2 : 1)};
}

class Scanner
{
public:
    Scanner(QStringView text, Findings &findings);

    // The whole text read.
    QStringView source() const { return m_text; }
    bool atEnd() const { return m_at >= m_size; }
    qsizetype at() const { return m_at; }
    Mark mark() const { return {m_at, m_line, int(m_at - m_lineStart) + 1}; }
    int line() const { return m_line; }

    // The character `ahead` of the cursor as it stands, or pastEnd.
    char16_t peek(qsizetype ahead = 0) const
    {
        return m_at + ahead < m_size ? m_data[m_at + ahead] : pastEnd;
    }
    // The character at the cursor once joined line ends are passed over.
    char16_t current()
    {
        const char16_t c = peek();
        return c == '\\' ? currentAfterJoins() : c;
    }
    // Past characters of the line, which the caller has looked at.
    void advance(qsizetype count = 1) { m_at += count; }

    // Passes over blanks, /* comments */, joined line ends and a */ out of
    // place; true when it passed over anything.
    bool skipGap()
    {
        // Most often there is nothing, or one blank, to pass.
        const char16_t c = peek();
        if (!startsGap(c))
            return false;
        if (isBlank(c) && !startsGap(peek(1))) {
            m_gap = {mark(), m_at + 1};
            ++m_at;
            return true;
        }
        return skipGapFrom(c);
    }
    // Whether the cursor stands right after a gap, and where that began.
    bool afterGap() const { return m_at == m_gap.end && m_gap.end != m_gap.from.at; }
    Mark gapStart() const { return m_gap.from; }

    // At a line end, the end of the text, or a comment that runs to the line end.
    bool atLineEnd() const { return atEnd() || atLineBreak() || atLineComment(); }
    bool atLineComment() const
    {
        const char16_t c = peek();
        return c == ';' || ((c == '/' || c == '#') && startsLineComment(m_text.sliced(m_at)));
    }

    // Passes over the rest of the line, to the start of the next; texts and
    // comments are found in it as everywhere. Returns where the statement's
    // last character that is neither blank nor comment ends.
    qsizetype skipLine();
    // To the start of the next line, past the line feed at `lineFeed`.
    void passLineFeed(qsizetype lineFeed) { newLine(lineFeed); }
    void passToEnd() { m_at = m_size; }

    // A text in quotes, from its opening quote to past its closing one. Its
    // bytes go to `bytes` where given: Windows-1251 for "text", UTF-16LE for
    // 'text'. False on an error, with the cursor before what ended the text.
    bool quotedText(QByteArray *bytes);

private:
    static bool startsGap(char16_t c) { return isBlank(c) || c == '/' || c == '*' || c == '\\'; }
    char16_t currentAfterJoins();
    bool skipGapFrom(char16_t c);
    // CR LF, LF, or a CR alone, which the text box and an append take for a
    // line end too.
    bool atLineBreak() const
    {
        const char16_t c = peek();
        return c == '\n' || c == '\r';
    }
    void passLineBreak();
    bool commentMarkAt() const;
    void newLine(qsizetype lineFeed);
    bool skipJoin();
    void skipBlockComment();
    char16_t escape(bool &raw);

    QStringView m_text;
    const char16_t *m_data;
    qsizetype m_size;
    Findings &m_findings;
    qsizetype m_at = 0;
    int m_line = 1;
    qsizetype m_lineStart = 0;
    struct {
        Mark from{0, 1, 1};
        qsizetype end = 0;
    } m_gap;
};
