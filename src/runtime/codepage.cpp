#include "codepage.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

struct Encoder {
    // A single-byte code page: its encoder is the decoder's inverse, taken from
    // the decoder itself. One table look-up per character both encodes and
    // finds what the code page cannot hold, where a converter would quietly
    // write '?'.
    std::array<qint16, 0x10000> byteOf;
    // Whether ASCII maps to itself and the 64 basic Cyrillic letters to one run
    // of bytes, as the table says: then runs of them are encoded eight at a
    // time. Patch lines are nearly all such letters.
    bool runs = false;
};

constexpr char16_t cyrillicFirst = u'\u0410'; // А
constexpr int cyrillicCount = 64; // А to я
constexpr char16_t cyrillicByteShift = 0x350; // А is 0xC0

// Kept out of line: inlined, its one-time set-up crowds the encoding loop's
// registers, and the loop then reloads the text's view for every character.
Q_NEVER_INLINE const Encoder &encoder()
{
    static const Encoder result = [] {
        Encoder e;
        e.byteOf.fill(-1);
        for (int b = 0; b < 256; ++b) {
            const QString c = decodeCodePage(QByteArray(1, char(b)));
            if (c.size() == 1 && c[0] != QChar::ReplacementCharacter)
                e.byteOf[c[0].unicode()] = qint16(b);
        }
        e.runs = true;
        for (int c = 0; c < 0x80; ++c)
            e.runs &= e.byteOf[c] == c;
        for (int c = cyrillicFirst; c < cyrillicFirst + cyrillicCount; ++c)
            e.runs &= e.byteOf[c] == c - cyrillicByteShift;
        return e;
    }();
    return result;
}

// GCC's and clang's vector types: one SSE2 register on x86-64.
using Chars8 = quint16 __attribute__((vector_size(16)));
using Mask8 = qint16 __attribute__((vector_size(16)));
using Bytes8 = quint8 __attribute__((vector_size(8)));

// Spelled out: clang 14 crashes on a scalar widened to a vector of char16_t.
constexpr Chars8 splat(quint16 v)
{
    return Chars8{v, v, v, v, v, v, v, v};
}

// Encodes eight characters if each is ASCII or a basic Cyrillic letter.
bool encodeRun(const char16_t *from, char *to)
{
    Chars8 c;
    std::memcpy(&c, from, sizeof c);
    // Comparisons give each lane all ones or all zeros.
    const Mask8 ascii = c < splat(0x80);
    const Mask8 cyrillic = c - splat(cyrillicFirst) < splat(cyrillicCount);
    const Mask8 either = ascii | cyrillic;
    quint64 lanes[2];
    std::memcpy(lanes, &either, sizeof lanes);
    if ((lanes[0] & lanes[1]) != ~quint64(0))
        return false;
    const Chars8 b = c - ((Chars8)cyrillic & splat(cyrillicByteShift));
    const Bytes8 bytes = __builtin_convertvector(b, Bytes8);
    std::memcpy(to, &bytes, sizeof bytes);
    return true;
}

} // namespace

std::optional<qsizetype> encodeCodePage(QStringView text, QByteArray &out)
{
    const Encoder &e = encoder();
    const auto &table = e.byteOf;
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char *bytes = out.data() + start;
    const char16_t *chars = text.utf16();
    // Missing characters look up as -1; one test at the end keeps the loop tight.
    qint16 missing = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        if (e.runs && text.size() - i >= 8 && encodeRun(chars + i, bytes + i)) {
            i += 8;
            continue;
        }
        for (const qsizetype end = std::min(i + 8, text.size()); i < end; ++i) {
            const qint16 b = table[chars[i]];
            missing |= b;
            bytes[i] = char(b);
        }
    }
    if (missing >= 0)
        return std::nullopt;
    for (qsizetype i = 0;; ++i) {
        if (table[chars[i]] < 0)
            return i;
    }
}
