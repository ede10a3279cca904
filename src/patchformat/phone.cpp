#include "phone.h"

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
    return PhoneFirmware{line.first(model).toString(), line.sliced(at + 1).toString()};
}
