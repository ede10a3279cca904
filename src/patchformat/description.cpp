#include "description.h"

#include "scanner.h"

namespace {

QString cut(QStringView line, qsizetype length)
{
    if (line.size() <= length)
        return line.toString();
    return line.first(length - 1).toString() + u'…';
}

// A line comment's text: its marks (;;;, ///, ##) go, whatever their number.
bool lineComment(QStringView &line)
{
    if (!startsLineComment(line))
        return false;
    const QChar mark = line.front();
    while (line.startsWith(mark))
        line = line.sliced(1);
    return true;
}

// `line` without a byte-order mark, read as Unicode or, as the tool reads
// it, as Windows-1251.
QStringView withoutByteOrderMark(QStringView line)
{
    for (const QStringView mark : {QStringView(u"\uFEFF"), QStringView(u"\u043F\u00BB\u0457")}) {
        if (line.startsWith(mark))
            return line.sliced(mark.size());
    }
    return line;
}

} // namespace

std::optional<PhoneFirmware> phoneLine(QStringView line)
{
    line = withoutByteOrderMark(line).trimmed();
    if (!lineComment(line))
        return std::nullopt;
    return phoneFirmware(line);
}

QStringList patchDescription(QStringView text, qsizetype lineLength)
{
    QStringList lines;
    qsizetype blanks = 0; // empty lines since the last one with words, not yet kept
    bool inBlock = false, more = false;
    bool header = false; // the first line names a phone and firmware, as the collection's do
    for (qsizetype start = 0; start < text.size() && !more;) {
        const LineAt at = lineAt(text, start);
        const QStringView raw = text.sliced(start, at.end - start);
        QStringView line = withoutByteOrderMark(raw).trimmed();
        start = at.next;

        if (!inBlock && line.startsWith(u"/*")) {
            inBlock = true;
            line = line.sliced(2);
        } else if (inBlock) {
            while (line.startsWith(u'*') && !line.startsWith(u"*/")) // decoration, as in " * text"
                line = line.sliced(1);
        } else if (line.isEmpty() && (lines.isEmpty() || header)) {
            // Blank lines before the comments; and inside a header of the
            // collection, where a few have one before their PatchID.
        } else if (!lineComment(line)) {
            break;
        }
        if (inBlock) {
            if (const qsizetype close = line.indexOf(u"*/"); close >= 0) {
                if (!line.sliced(close + 2).trimmed().isEmpty())
                    break; // the line goes on with what is no comment
                inBlock = false;
                line = line.first(close);
            }
        }
        line = line.trimmed();
        // Empty lines count only between lines with words.
        if (line.isEmpty()) {
            blanks += lines.isEmpty() ? 0 : 1;
            continue;
        }
        more = lines.size() + blanks >= descriptionLines;
        if (more)
            break;
        for (; blanks > 0; --blanks)
            lines += QString();
        lines += cut(line, lineLength);
        header = header || (lines.size() == 1 && phoneLine(raw));
    }
    if (more)
        lines.back() = lines.back().left(lineLength - 1) + u'…';
    return lines;
}
