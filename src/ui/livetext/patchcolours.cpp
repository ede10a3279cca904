#include "patchcolours.h"

#include "patchformat/scanner.h"

namespace {

bool blank(QChar c)
{
    return isBlank(c.unicode());
}

// Past a text in quotes that starts at `at`, escapes and all.
qsizetype pastText(const QString &text, qsizetype at, qsizetype end)
{
    const QChar quote = text[at];
    for (++at; at < end && text[at] != quote; ++at) {
        if (text[at] == u'\\')
            ++at;
    }
    return std::min(at + 1, end);
}

} // namespace

// One line's formats as they are found, and where its statement ends.
struct PatchColours::Line {
    bool coloured; // false where only the comments' reach is wanted
    const QString &text;
    std::vector<Span> spans;

    void put(qsizetype from, qsizetype length, Role role)
    {
        if (coloured)
            spans.push_back({int(from), int(length), role});
    }

    // Comments, outside texts: where the statement ends, and whether a /*
    // comment runs on past the line.
    qsizetype comments(qsizetype from, bool &inComment)
    {
        qsizetype statementEnd = text.size();
        for (qsizetype i = from; i < text.size(); ++i) {
            const QChar c = text[i];
            if (c == u'"' || c == u'\'') {
                i = pastText(text, i, text.size()) - 1;
            } else if (c == u'/' && i + 1 < text.size() && text[i + 1] == u'*') {
                const qsizetype end = text.indexOf(u"*/", i + 2);
                put(i, (end < 0 ? text.size() : end + 2) - i, Comment);
                statementEnd = std::min(statementEnd, i);
                if (end < 0) {
                    inComment = true;
                    break;
                }
                i = end + 1;
            } else if (startsLineComment(QStringView(text).sliced(i))) {
                put(i, text.size() - i, Comment);
                statementEnd = std::min(statementEnd, i);
                break;
            }
        }
        return statementEnd;
    }

    // A field's items: texts in their colour, hex in the field's, and what
    // is neither a hex digit nor a number's prefix as a placeholder.
    void field(qsizetype from, qsizetype to, Role role)
    {
        put(from, to - from, role);
        for (qsizetype i = from; i < to;) {
            const QChar c = text[i];
            if (c == u'"' || c == u'\'') {
                const qsizetype end = pastText(text, i, to);
                put(i, end - i, Text);
                i = end;
            } else if (c == u'0' && i + 1 < to && QStringView(u"xXnNiI").contains(text[i + 1])) {
                while (i < to && text[i] != u',')
                    ++i;
            } else {
                if (!isHex(c.unicode()) && c != u',' && c != u'\\')
                    put(i, 1, Placeholder);
                ++i;
            }
        }
    }
};

PatchColours::PatchColours(const QPalette &palette)
{
    // Light or dark, the colours keep their meaning and stand out from the text's own.
    const bool dark = palette.color(QPalette::Base).lightness() < 128;
    const auto colour = [&](const char *light, const char *onDark) { return QColor(QString::fromLatin1(dark ? onDark : light)); };
    const QColor colours[Roles] = {colour("#5C6773", "#9DA7B3"), colour("#0550AE", "#79C0FF"), colour("#8A4600", "#FFA657"),
                                   colour("#116329", "#7EE787"), colour("#7A3FC8", "#D2A8FF"), colour("#006E6E", "#56D4DD"),
                                   colour("#A0108E", "#F778BA"), palette.color(QPalette::Text), colour("#D1242F", "#FF7B72"),
                                   colour("#BF8700", "#E3B341")};
    std::copy(std::begin(colours), std::end(colours), m_colours);
    m_placeholder = colour("#FFE58A", "#6B5300");
}

bool PatchColours::commentGoesOn(const QString &text, bool inComment)
{
    Line line{false, text, {}};
    qsizetype at = 0;
    if (inComment) {
        const qsizetype end = text.indexOf(u"*/");
        if (end < 0)
            return true;
        at = end + 2;
    }
    bool goesOn = false;
    line.comments(at, goesOn);
    return goesOn;
}

std::vector<PatchColours::Span> PatchColours::line(const QString &text, bool &inComment, const std::vector<Span> &faults) const
{
    Line line{true, text, {}};
    qsizetype at = 0;
    if (inComment) {
        const qsizetype end = text.indexOf(u"*/");
        line.put(0, end < 0 ? text.size() : end + 2, Comment);
        if (end < 0)
            return line.spans;
        at = end + 2;
    }
    inComment = false;
    while (at < text.size() && blank(text[at]))
        ++at;
    const QStringView rest = QStringView(text).sliced(at);
    const qsizetype statementEnd = line.comments(at, inComment);
    // What the line is, from its first word: a pragma, an offset or a record.
    if (rest.startsWith(pragmaWord, Qt::CaseInsensitive)) {
        line.put(at, statementEnd - at, Pragma);
    } else if (rest.startsWith(u'+') || rest.startsWith(u'-')) {
        line.put(at, statementEnd - at, Offset);
    } else if (const qsizetype colon = text.indexOf(u':', at); colon >= 0 && colon < statementEnd) {
        line.put(at, colon + 1 - at, Address);
        // Its fields: the first of two holds the old bytes.
        std::vector<std::pair<qsizetype, qsizetype>> fields;
        for (qsizetype i = colon + 1; i < statementEnd;) {
            while (i < statementEnd && blank(text[i]))
                ++i;
            const qsizetype from = i;
            while (i < statementEnd && !blank(text[i]))
                i = text[i] == u'"' || text[i] == u'\'' ? pastText(text, i, statementEnd) : i + 1;
            if (i > from)
                fields.emplace_back(from, i);
        }
        for (std::size_t f = 0; f < fields.size(); ++f)
            line.field(fields[f].first, fields[f].second, fields.size() > 1 && f == 0 ? Old : New);
    }
    line.spans.insert(line.spans.end(), faults.begin(), faults.end());
    return line.spans;
}
