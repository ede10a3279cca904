#include "plainrecord.h"

#include "scanner.h"

#include <algorithm>
#include <array>

namespace {

// A digit's value already in the high half of a byte, or -1: a byte of two
// digits is then one OR of two looks in tables, where a shift and the
// checks of both values took twice as long.
constexpr auto highDigitValues = [] {
    std::array<qint16, 0x10000> values{};
    for (std::size_t c = 0; c < values.size(); ++c)
        values[c] = qint16(hexDigitValues[c] < 0 ? -1 : hexDigitValues[c] << 4);
    return values;
}();

// The byte of the digits at `d`, or a negative number.
int hexByte(const char16_t *d)
{
    return highDigitValues[d[0]] | hexValue(d[1]);
}

} // namespace

qsizetype hexRun(const char16_t *run, qsizetype most, char *out)
{
    // Four digits at a time, then one byte at a time.
    qsizetype done = 0;
    if (out) {
        for (; done + 2 <= most; done += 2) {
            const int first = hexByte(run + 2 * done), second = hexByte(run + 2 * done + 2);
            if ((first | second) < 0)
                break;
            out[done] = char(first);
            out[done + 1] = char(second);
        }
    } else {
        while (done + 2 <= most
               && (hexValue(run[2 * done]) | hexValue(run[2 * done + 1]) | hexValue(run[2 * done + 2]) | hexValue(run[2 * done + 3])) >= 0)
            done += 2;
    }
    for (int byte; done < most && (byte = hexByte(run + 2 * done)) >= 0; ++done) {
        if (out)
            out[done] = char(byte);
    }
    return done;
}

namespace {

const char16_t *skipBlanks(const char16_t *at, const char16_t *end)
{
    while (at != end && isBlank(*at))
        ++at;
    return at;
}

// Whole bytes of hex digits, `most` at the most, up to a blank, a `;` or the
// line's end; 0 for anything else.
qsizetype hexField(const char16_t *&at, const char16_t *end, char *bytes, qsizetype most)
{
    const qsizetype size = hexRun(at, std::min<qsizetype>((end - at) / 2, most), bytes);
    at += 2 * size;
    return at == end || isBlank(*at) || *at == ';' || *at == '\r' || *at == '\n' ? size : 0;
}

} // namespace

std::optional<PlainRecord> readPlainRecord(const char16_t *from, const char16_t *end, char *bytes, qsizetype most)
{
    const char16_t *at = skipBlanks(from, end);
    const char16_t *const digits = at;
    quint32 address = 0;
    for (int digit; at != end && at - digits < 8 && (digit = hexValue(*at)) >= 0; ++at)
        address = address * 16 + quint32(digit);
    if (at == digits || at == end || *at != ':')
        return std::nullopt;
    at = skipBlanks(at + 1, end);
    const char16_t *const fields = at;
    const qsizetype first = hexField(at, end, bytes, most);
    if (first == 0)
        return std::nullopt;
    const char16_t *fieldsEnd = at;
    at = skipBlanks(at, end);
    qsizetype second = 0;
    if (at != end && isHex(*at)) {
        second = hexField(at, end, bytes ? bytes + first : nullptr, most - first);
        if (second == 0 || first < second)
            return std::nullopt;
        fieldsEnd = at;
        at = skipBlanks(at, end);
    }
    if (at != end && *at == ';')
        at = lineCommentEnd(at, end);
    // A CR alone is left to the full reading, which says so.
    if (at != end && *at == '\r' && at + 1 != end && at[1] == '\n')
        ++at;
    if (at != end && *at != '\n')
        return std::nullopt;
    return PlainRecord{address, first, second, at, digits, fields, fieldsEnd};
}
