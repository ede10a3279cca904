#include "codepage.h"

#include <array>

namespace {

// A single-byte code page: its encoder is the decoder's inverse, taken from the
// decoder itself. One table look-up per character both encodes and finds what
// the code page cannot hold, where a converter would quietly write '?'.
// Kept out of line: inlined, its one-time set-up crowds the encoding loop's
// registers, and the loop then reloads the text's view for every character.
Q_NEVER_INLINE const std::array<qint16, 0x10000> &byteOf()
{
    static const std::array<qint16, 0x10000> table = [] {
        std::array<qint16, 0x10000> result;
        result.fill(-1);
        for (int b = 0; b < 256; ++b) {
            const QString c = decodeCodePage(QByteArray(1, char(b)));
            if (c.size() == 1 && c[0] != QChar::ReplacementCharacter)
                result[c[0].unicode()] = qint16(b);
        }
        return result;
    }();
    return table;
}

} // namespace

std::optional<qsizetype> encodeCodePage(QStringView text, QByteArray &out)
{
    const auto &table = byteOf();
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char *bytes = out.data() + start;
    // Missing characters look up as -1; one test at the end keeps the loop tight.
    qint16 missing = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qint16 b = table[text[i].unicode()];
        missing |= b;
        bytes[i] = char(b);
    }
    if (missing >= 0)
        return std::nullopt;
    for (qsizetype i = 0;; ++i) {
        if (table[text[i].unicode()] < 0)
            return i;
    }
}
