#include "plainrecord.h"

#include "scanner.h"

#include <algorithm>

qsizetype hexRun(const char16_t *run, qsizetype most, char *out)
{
    // Four digits at a time, then one byte at a time.
    qsizetype done = 0;
    if (out) {
        for (; done + 2 <= most; done += 2) {
            const char16_t *const d = run + 2 * done;
            const int a = hexValue(d[0]), b = hexValue(d[1]), c = hexValue(d[2]), e = hexValue(d[3]);
            if ((a | b | c | e) < 0)
                break;
            out[done] = char(a << 4 | b);
            out[done + 1] = char(c << 4 | e);
        }
    } else {
        while (done + 2 <= most
               && (hexValue(run[2 * done]) | hexValue(run[2 * done + 1]) | hexValue(run[2 * done + 2]) | hexValue(run[2 * done + 3])) >= 0)
            done += 2;
    }
    for (; done < most && (hexValue(run[2 * done]) | hexValue(run[2 * done + 1])) >= 0; ++done) {
        if (out)
            out[done] = char(hexValue(run[2 * done]) << 4 | hexValue(run[2 * done + 1]));
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
    const qsizetype first = hexField(at, end, bytes, most);
    if (first == 0)
        return std::nullopt;
    at = skipBlanks(at, end);
    qsizetype second = 0;
    if (at != end && isHex(*at)) {
        second = hexField(at, end, bytes ? bytes + first : nullptr, most - first);
        if (second == 0 || first < second)
            return std::nullopt;
        at = skipBlanks(at, end);
    }
    if (at != end && *at == ';')
        at = lineCommentEnd(at, end);
    // A CR alone is left to the full reading, which says so.
    if (at != end && *at == '\r' && at + 1 != end && at[1] == '\n')
        ++at;
    if (at != end && *at != '\n')
        return std::nullopt;
    return PlainRecord{address, first, second, at};
}
