#include "codepage.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace {

// A single-byte code page: its encoder is the decoder's inverse, taken from
// the decoder itself, so a character the code page lacks is found, never
// replaced by a best fit or a '?'. Entries are bytes, or -1 for none.
struct EncodeTable {
    std::array<qint16, 0x10000> bytes;
    // Whether the decoder gives U+0000 to U+007F for their own bytes, as in
    // every Windows code page: runs of them, the bulk of a patch, then skip
    // the table.
    bool asciiIsItself = true;
};

const EncodeTable &encodeTable()
{
    static const EncodeTable table = [] {
        EncodeTable t;
        t.bytes.fill(-1);
        for (int b = 0; b < 256; ++b) {
            const QString c = decodeCodePage(QByteArray(1, char(b)));
            // U+FFFD stands for a byte the decoder could not read: writing it
            // back as that byte would invent data.
            if (c.size() == 1 && c[0] != QChar::ReplacementCharacter)
                t.bytes[c[0].unicode()] = qint16(b);
        }
        for (int c = 0; c < 0x80; ++c)
            t.asciiIsItself = t.asciiIsItself && t.bytes[c] == c;
        return t;
    }();
    return table;
}

// Four ASCII units read as one word, narrowed to four bytes that come out in
// the same order once stored. Each unit's high byte is zero, so OR-ing the
// word with itself shifted by a byte puts neighbours side by side in each
// half; the same two steps hold on either byte order.
std::uint32_t narrowAscii(std::uint64_t word)
{
    const std::uint64_t pairs = word | word >> 8;
    return std::uint32_t((pairs & 0xFFFF) | (pairs >> 16 & 0xFFFF'0000));
}

} // namespace

std::optional<qsizetype> encodeCodePage(QStringView text, QByteArray &out)
{
    const EncodeTable &table = encodeTable();
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char *bytes = out.data() + start;
    const char16_t *units = text.utf16();
    const qsizetype size = text.size();
    const bool asciiIsItself = table.asciiIsItself; // read once: writes through char * could change it

    // Eight characters at a time, two words of four UTF-16 units: when neither
    // holds anything above U+007F, the bulk of a patch, they are narrowed
    // whole; otherwise all eight go through the table with one check for the
    // lot. A refused character is left to the loop after, which finds it.
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t first, second;
        std::memcpy(&first, units + i, sizeof first);
        std::memcpy(&second, units + i + 4, sizeof second);
        if (asciiIsItself && ((first | second) & 0xFF80'FF80'FF80'FF80) == 0) {
            const std::uint32_t narrowed[2] = {narrowAscii(first), narrowAscii(second)};
            std::memcpy(bytes + i, narrowed, sizeof narrowed);
            continue;
        }
        qint16 refused = 0;
        for (int k = 0; k < 8; ++k) {
            const qint16 b = table.bytes[units[i + k]];
            refused |= b;
            bytes[i + k] = char(b);
        }
        if (refused < 0)
            break;
    }
    for (; i < size; ++i) {
        const qint16 b = table.bytes[units[i]];
        if (b < 0)
            return i;
        bytes[i] = char(b);
    }
    return std::nullopt;
}
