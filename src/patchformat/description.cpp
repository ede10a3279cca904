#include "description.h"

#include "scanner.h"

namespace {

QString cut(QStringView line)
{
    if (line.size() <= descriptionLineLength)
        return line.toString();
    return line.first(descriptionLineLength - 1).toString() + u'…';
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

} // namespace

QStringList patchDescription(QStringView text)
{
    QStringList lines;
    bool inBlock = false, more = false;
    for (qsizetype start = 0; start < text.size() && !more;) {
        qsizetype end = text.indexOf(QChar(u'\n'), start);
        if (end < 0)
            end = text.size();
        QStringView line = text.sliced(start, end - start).trimmed();
        start = end + 1;

        if (!inBlock && line.startsWith(u"/*")) {
            inBlock = true;
            line = line.sliced(2);
        } else if (inBlock) {
            while (line.startsWith(u'*') && !line.startsWith(u"*/")) // decoration, as in " * text"
                line = line.sliced(1);
        } else if (line.isEmpty() && lines.isEmpty()) {
            continue; // blank lines before the comments
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
        more = lines.size() == descriptionLines;
        if (!more)
            lines += cut(line.trimmed());
    }
    while (!lines.isEmpty() && lines.front().isEmpty())
        lines.removeFirst();
    while (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    if (more)
        lines.back() = lines.back().left(descriptionLineLength - 1) + u'…';
    return lines;
}
