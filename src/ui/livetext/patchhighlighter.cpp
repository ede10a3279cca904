#include "patchhighlighter.h"

#include "patchformat/scanner.h"

#include <QPalette>
#include <QTextDocument>

namespace {

// Inside a /* comment that goes on to the next line.
constexpr int inComment = 1;

bool isHexDigit(QChar c)
{
    return isHex(c.unicode());
}

} // namespace

PatchHighlighter::PatchHighlighter(QTextDocument *document)
    : QSyntaxHighlighter(document)
{
    usePalette(QPalette());
}

void PatchHighlighter::usePalette(const QPalette &palette)
{
    // Light or dark, the colours keep their meaning and stand out from the
    // text's own colour; under a high-contrast scheme the text keeps its own.
    const bool dark = palette.color(QPalette::Base).lightness() < 128;
    const auto colour = [&](const char *light, const char *onDark) { return QColor(QString::fromLatin1(dark ? onDark : light)); };
    const QColor colours[Roles] = {colour("#5C6773", "#9DA7B3"), colour("#0550AE", "#79C0FF"), colour("#8A4600", "#FFA657"),
                                   colour("#116329", "#7EE787"), colour("#7A3FC8", "#D2A8FF"), colour("#006E6E", "#56D4DD"),
                                   colour("#A0108E", "#F778BA"), palette.color(QPalette::Text)};
    for (int role = 0; role < Roles; ++role) {
        m_formats[role] = QTextCharFormat();
        m_formats[role].setForeground(colours[role]);
    }
    m_formats[Comment].setFontItalic(true);
    m_formats[Placeholder].setBackground(colour("#FFE58A", "#6B5300"));
    m_fault = colour("#D1242F", "#FF7B72");
    m_doubt = colour("#BF8700", "#E3B341");
    rehighlight();
}

void PatchHighlighter::underline(const TextCheck &check)
{
    std::map<int, std::vector<Span>> faults;
    if (check.checked) {
        for (const Finding &finding : check.checked->reading->findings) {
            faults[finding.line - 1].push_back({qsizetype(finding.column - 1), std::max<qsizetype>(finding.length, 1),
                                                 severity(finding.kind) == Severity::Doubt});
        }
    }
    // Only the lines whose faults came or went are coloured again.
    std::vector<int> changed;
    for (const auto &[block, spans] : m_faults) {
        if (!faults.contains(block))
            changed.push_back(block);
    }
    for (const auto &[block, spans] : faults)
        changed.push_back(block);
    m_faults = std::move(faults);
    for (const int block : changed)
        rehighlightBlock(document()->findBlockByNumber(block));
}

void PatchHighlighter::highlightBlock(const QString &text)
{
    setCurrentBlockState(0);
    qsizetype at = 0;
    if (previousBlockState() == inComment) {
        const qsizetype end = text.indexOf(u"*/");
        if (end < 0) {
            setFormat(0, int(text.size()), m_formats[Comment]);
            setCurrentBlockState(inComment);
            return;
        }
        setFormat(0, int(end + 2), m_formats[Comment]);
        at = end + 2;
    }
    while (at < text.size() && isBlank(text[at].unicode()))
        ++at;
    // What the line is, from its first word: a pragma, an offset or a record.
    const QStringView rest = QStringView(text).sliced(at);
    qsizetype statementEnd = text.size();
    // Where comments begin, outside texts.
    for (qsizetype i = at; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"' || c == u'\'') {
            for (++i; i < text.size() && text[i] != c; ++i) {
                if (text[i] == u'\\')
                    ++i;
            }
            continue;
        }
        if (c == u'/' && i + 1 < text.size() && text[i + 1] == u'*') {
            const qsizetype end = text.indexOf(u"*/", i + 2);
            setFormat(int(i), int((end < 0 ? text.size() : end + 2) - i), m_formats[Comment]);
            if (end < 0) {
                setCurrentBlockState(inComment);
                statementEnd = std::min(statementEnd, i);
                break;
            }
            statementEnd = std::min(statementEnd, i);
            i = end + 1;
            continue;
        }
        if (startsLineComment(QStringView(text).sliced(i))) {
            setFormat(int(i), int(text.size() - i), m_formats[Comment]);
            statementEnd = std::min(statementEnd, i);
            break;
        }
    }
    if (rest.startsWith(pragmaWord, Qt::CaseInsensitive)) {
        setFormat(int(at), int(statementEnd - at), m_formats[Pragma]);
    } else if (rest.startsWith(u'+') || rest.startsWith(u'-')) {
        setFormat(int(at), int(statementEnd - at), m_formats[Offset]);
    } else if (const qsizetype colon = text.indexOf(u':', at); colon >= 0 && colon < statementEnd) {
        setFormat(int(at), int(colon + 1 - at), m_formats[Address]);
        // Its fields: the first of two holds the old bytes.
        std::vector<std::pair<qsizetype, qsizetype>> fields;
        for (qsizetype i = colon + 1; i < statementEnd;) {
            while (i < statementEnd && isBlank(text[i].unicode()))
                ++i;
            const qsizetype from = i;
            while (i < statementEnd && !isBlank(text[i].unicode())) {
                if (text[i] == u'"' || text[i] == u'\'') {
                    const QChar quote = text[i];
                    for (++i; i < statementEnd && text[i] != quote; ++i) {
                        if (text[i] == u'\\')
                            ++i;
                    }
                }
                ++i;
            }
            if (i > from)
                fields.emplace_back(from, std::min(i, statementEnd));
        }
        for (std::size_t f = 0; f < fields.size(); ++f)
            field(text, fields[f].first, fields[f].second, fields.size() > 1 && f == 0 ? Old : New);
    }
    const auto faults = m_faults.find(currentBlock().blockNumber());
    if (faults == m_faults.end())
        return;
    for (const Span &span : faults->second) {
        const qsizetype from = std::min(span.from, qsizetype(text.size()));
        const qsizetype length = std::max<qsizetype>(std::min(span.length, text.size() - from), 1);
        for (qsizetype i = from; i < from + length; ++i) {
            QTextCharFormat marked = format(int(i));
            marked.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
            marked.setUnderlineColor(span.doubt ? m_doubt : m_fault);
            setFormat(int(i), 1, marked);
        }
    }
}

// A field's items: texts in their colour, hex in the field's, and what is
// neither a hex digit nor a number's prefix as a placeholder to fill in.
void PatchHighlighter::field(const QString &text, qsizetype from, qsizetype to, Role role)
{
    setFormat(int(from), int(to - from), m_formats[role]);
    for (qsizetype i = from; i < to;) {
        const QChar c = text[i];
        if (c == u'"' || c == u'\'') {
            const qsizetype start = i;
            for (++i; i < to && text[i] != c; ++i) {
                if (text[i] == u'\\')
                    ++i;
            }
            i = std::min(i + 1, to);
            setFormat(int(start), int(i - start), m_formats[Text]);
            continue;
        }
        // A number: 0x, 0n, 0i and what follows, up to a comma.
        if (c == u'0' && i + 1 < to && QStringView(u"xXnNiI").contains(text[i + 1])) {
            while (i < to && text[i] != u',')
                ++i;
            continue;
        }
        if (!isHexDigit(c) && c != u',' && c != u'\\')
            setFormat(int(i), 1, m_formats[Placeholder]);
        ++i;
    }
}
