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

    // Comments, outside texts, and whether a /* comment runs on past the line.
    void comments(qsizetype from, bool &inComment)
    {
        for (qsizetype i = from; i < text.size(); ++i) {
            const QChar c = text[i];
            if (c == u'"' || c == u'\'') {
                i = pastText(text, i, text.size()) - 1;
            } else if (c == u'/' && i + 1 < text.size() && text[i + 1] == u'*') {
                const qsizetype end = text.indexOf(u"*/", i + 2);
                put(i, (end < 0 ? text.size() : end + 2) - i, Comment);
                if (end < 0) {
                    inComment = true;
                    break;
                }
                i = end + 1;
            } else if (startsLineComment(QStringView(text).sliced(i))) {
                put(i, text.size() - i, Comment);
                break;
            }
        }
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
    line.comments(at, inComment);
    // A comment may stand anywhere and counts as a blank: the statement is
    // read from the line with its comments blanked out.
    QString blanked;
    if (!line.spans.empty()) {
        blanked = text;
        for (const Span &comment : line.spans)
            std::fill(blanked.begin() + comment.from, blanked.begin() + comment.from + comment.length, u' ');
    }
    Line statement{true, line.spans.empty() ? text : blanked, {}};
    const QString &plain = statement.text;
    while (at < plain.size() && blank(plain[at]))
        ++at;
    qsizetype end = plain.size();
    while (end > at && blank(plain[end - 1]))
        --end;
    const QStringView rest = QStringView(plain).sliced(at);
    // What the line is, from its first word: a pragma, an offset or a record.
    if (rest.startsWith(pragmaWord, Qt::CaseInsensitive)) {
        statement.put(at, end - at, Pragma);
    } else if (rest.startsWith(u'+') || rest.startsWith(u'-')) {
        statement.put(at, end - at, Offset);
    } else if (const qsizetype colon = plain.indexOf(u':', at); colon >= 0) {
        statement.put(at, colon + 1 - at, Address);
        // Its fields: the first of two holds the old bytes.
        std::vector<std::pair<qsizetype, qsizetype>> fields;
        for (qsizetype i = colon + 1; i < end;) {
            while (i < end && blank(plain[i]))
                ++i;
            const qsizetype from = i;
            while (i < end && !blank(plain[i]))
                i = plain[i] == u'"' || plain[i] == u'\'' ? pastText(plain, i, end) : i + 1;
            if (i > from)
                fields.emplace_back(from, i);
        }
        for (std::size_t f = 0; f < fields.size(); ++f)
            statement.field(fields[f].first, fields[f].second, fields.size() > 1 && f == 0 ? Old : New);
    }
    line.spans.insert(line.spans.end(), statement.spans.begin(), statement.spans.end());
    line.spans.insert(line.spans.end(), faults.begin(), faults.end());
    return line.spans;
}
