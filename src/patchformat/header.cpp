#include "header.h"

#include "description.h"

namespace {

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// How many characters from `at` satisfy `is`, `most` at the most.
template <typename Is>
qsizetype run(QStringView text, qsizetype at, qsizetype most, Is is)
{
    qsizetype count = 0;
    while (at + count < text.size() && count < most && is(text[at + count]))
        ++count;
    return count;
}

} // namespace

PhoneFirmware thisPhone()
{
    return {QStringLiteral("CX70"), QStringLiteral("50")};
}

std::optional<PhoneFirmware> phoneFirmware(QStringView line)
{
    // Letters, digits and perhaps a letter more (CX70, S65, SL65, SX1, CX7i),
    // a v, and the firmware's digits.
    line = line.trimmed();
    qsizetype at = run(line, 0, 4, isAsciiLetter);
    const qsizetype letters = at;
    const qsizetype digits = run(line, at, 3, isDigit);
    at += digits;
    if (letters == 0 || digits == 0)
        return std::nullopt;
    if (at + 1 < line.size() && isAsciiLetter(line[at]) && (line[at + 1].unicode() | 0x20) == u'v')
        ++at;
    if (at >= line.size() || (line[at].unicode() | 0x20) != u'v')
        return std::nullopt;
    const qsizetype model = at;
    const qsizetype firmware = run(line, at + 1, 3, isDigit);
    if (firmware == 0 || at + 1 + firmware != line.size())
        return std::nullopt;
    return PhoneFirmware{line.first(model).toString().toUpper(), line.sliced(at + 1).toString()};
}

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
        const QStringView content = text.sliced(start, end - start).trimmed();
        // Only a ; comment can name one; the rest of its header follows it.
        if (content.startsWith(u';')) {
            const QStringList description = patchDescription(text.sliced(start));
            if (!description.isEmpty() && phoneFirmware(description.front())) {
                const PatchHeader header = patchHeader(description);
                if (!header.name.isEmpty())
                    found.push_back({line, header});
            }
        }
        start = end + (text.sliced(end).startsWith(u"\r\n") ? 2 : 1);
        ++line;
    }
    return found;
}
