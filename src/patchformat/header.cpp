#include "header.h"

#include "description.h"

PatchHeader patchHeader(const QStringList &description)
{
    PatchHeader header;
    if (description.isEmpty())
        return header;
    header.target = phoneFirmware(description.front());
    for (qsizetype i = header.target ? 1 : 0; i < description.size() && header.name.isEmpty(); ++i)
        header.name = description[i];
    for (const QString &line : description) {
        if (line.startsWith(u"PatchID:", Qt::CaseInsensitive)) {
            header.number = line.sliced(8).trimmed();
            break;
        }
    }
    return header;
}

std::vector<HeaderAt> headersInText(QStringView text)
{
    std::vector<HeaderAt> found;
    int line = 1;
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = start;
        while (end < text.size() && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        // Only a ; comment naming a phone begins one, and only there is the
        // rest of its header read: reading it from every comment line took
        // time in the square of a long run of them.
        QStringView content = withoutByteOrderMark(text.sliced(start, end - start)).trimmed();
        if (content.startsWith(u';')) {
            while (content.startsWith(u';'))
                content = content.sliced(1);
            if (phoneFirmware(content)) {
                const PatchHeader header = patchHeader(patchDescription(text.sliced(start), nameLength));
                if (!header.name.isEmpty())
                    found.push_back({line, header});
            }
        }
        start = end + (text.sliced(end).startsWith(u"\r\n") ? 2 : 1);
        ++line;
    }
    return found;
}
