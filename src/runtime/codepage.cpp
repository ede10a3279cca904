#include "codepage.h"

#include <array>

namespace {

// A single-byte code page: its encoder is the decoder's inverse, taken from
// the decoder itself, so a character the code page lacks is found, never
// replaced by a best fit or a '?'. Entries are bytes, or -1 for none.
using EncodeTable = std::array<qint16, 0x10000>;

const EncodeTable &encodeTable()
{
    static const EncodeTable table = [] {
        EncodeTable t;
        t.fill(-1);
        for (int b = 0; b < 256; ++b) {
            const QString c = decodeCodePage(QByteArray(1, char(b)));
            // U+FFFD stands for a byte the decoder could not read: writing it
            // back as that byte would invent data.
            if (c.size() == 1 && c[0] != QChar::ReplacementCharacter)
                t[c[0].unicode()] = qint16(b);
        }
        return t;
    }();
    return table;
}

} // namespace

std::optional<qsizetype> encodeCodePage(QStringView text, QByteArray &out)
{
    const EncodeTable &table = encodeTable();
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char *bytes = out.data() + start;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qint16 b = table[text[i].unicode()];
        if (b < 0)
            return i;
        bytes[i] = char(b);
    }
    return std::nullopt;
}
