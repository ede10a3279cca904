#include "header.h"

#include "description.h"
#include "scanner.h"

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

QString patchKey(const PatchHeader &header)
{
    return (header.target ? header.target->text().toUpper() : QString()) + u'\n' + header.name;
}

std::vector<HeaderAt> headersInText(QStringView text)
{
    std::vector<HeaderAt> found;
    int line = 1;
    for (qsizetype start = 0; start < text.size(); ++line) {
        const LineAt at = lineAt(text, start);
        // Only a line naming a phone begins one, and only there is the rest
        // of its header read: reading it from every comment line took time
        // in the square of a long run of them.
        if (phoneLine(text.sliced(start, at.end - start))) {
            const PatchHeader header = patchHeader(patchDescription(text.sliced(start), nameLength));
            if (!header.name.isEmpty())
                found.push_back({line, header});
        }
        start = at.next;
    }
    return found;
}
