#include "codepage.h"

#include <algorithm>
#include <array>

namespace {

// A single-byte code page: its encoder is the decoder's inverse, taken from
// the decoder itself, so a character the code page lacks is found, never
// replaced by a best fit or a '?'. Entries are bytes, or -1 for none.
struct EncodeTable {
    std::array<qint16, 0x10000> bytes;
    // Whether the decoder gives U+0000 to U+007F for their own bytes and А to
    // я (U+0410 to U+044F) for C0 to FF, as Windows-1251 does. Those two
    // ranges are nearly every character of a patch, and need no table then.
    bool asciiAndCyrillicInOrder = true;
};

constexpr char16_t cyrillicA = 0x0410;
constexpr int cyrillicLetters = 64;
constexpr int cyrillicToByte = 0x0410 - 0xC0;

// The code page has one character for each byte, so a table of 256 taken
// from the system's converter decodes as it does, without setting a
// converter up for every file.
const std::array<char16_t, 256> &decodeTable()
{
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const QString c = decodeWithSystem(QByteArray(1, char(b)));
            t[b] = c.size() == 1 ? c[0].unicode() : char16_t(QChar::ReplacementCharacter);
        }
        return t;
    }();
    return table;
}

const EncodeTable &encodeTable()
{
    static const EncodeTable table = [] {
        EncodeTable t;
        t.bytes.fill(-1);
        for (int b = 0; b < 256; ++b) {
            const char16_t c = decodeTable()[b];
            // U+FFFD stands for a byte the decoder could not read: writing it
            // back as that byte would invent data.
            if (c != QChar::ReplacementCharacter)
                t.bytes[c] = qint16(b);
        }
        for (int c = 0; c < 0x80; ++c)
            t.asciiAndCyrillicInOrder = t.asciiAndCyrillicInOrder && t.bytes[c] == c;
        for (int c = cyrillicA; c < cyrillicA + cyrillicLetters; ++c)
            t.asciiAndCyrillicInOrder = t.asciiAndCyrillicInOrder && t.bytes[c] == c - cyrillicToByte;
        return t;
    }();
    return table;
}

} // namespace

QString decodeCodePage(QByteArrayView bytes)
{
    const std::array<char16_t, 256> &table = decodeTable();
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = table[uchar(bytes[i])];
    return text;
}

std::optional<qsizetype> encodeCodePage(QStringView text, QByteArray &out)
{
    const EncodeTable &table = encodeTable();
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char *bytes = out.data() + start;
    const char16_t *units = text.utf16();
    const qsizetype size = text.size();

    // A few hundred characters at a time: while all are ASCII or Cyrillic
    // letters, each byte is worked out from the character alone, in a loop
    // with no branch and no table that the compiler may run several at a
    // time. A block with anything else goes through the table; one with a
    // character the code page lacks is left to the loop after, which finds it.
    constexpr qsizetype block = 256;
    qsizetype i = 0;
    if (table.asciiAndCyrillicInOrder) {
        for (; i < size; i += block) {
            const qsizetype end = std::min(size, i + block);
            unsigned others = 0;
            for (qsizetype k = i; k < end; ++k) {
                const char16_t c = units[k];
                const bool ascii = c < 0x80;
                others |= unsigned(!ascii & (char16_t(c - cyrillicA) >= cyrillicLetters));
                bytes[k] = char(ascii ? c : c - cyrillicToByte);
            }
            if (!others)
                continue;
            qint16 refused = 0;
            for (qsizetype k = i; k < end; ++k) {
                const qint16 b = table.bytes[units[k]];
                refused |= b;
                bytes[k] = char(b);
            }
            if (refused < 0)
                break;
        }
    }
    for (; i < size; ++i) {
        const qint16 b = table.bytes[units[i]];
        if (b < 0)
            return i;
        bytes[i] = char(b);
    }
    return std::nullopt;
}
