#include "runtime/codepage.h"

#include <gtest/gtest.h>
#include <map>

namespace {

// The code page as its own table gives it: which byte stands for which
// character, decoded in one piece.
std::map<char16_t, char> codePageModel()
{
    QByteArray all(256, Qt::Uninitialized);
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    const QString text = decodeWithSystem(all);
    std::map<char16_t, char> model;
    for (int b = 0; b < text.size(); ++b) {
        // U+FFFD stands for a byte that could not be read: it is never written.
        if (text[b] != QChar::ReplacementCharacter)
            model[text[b].unicode()] = char(b);
    }
    return model;
}

} // namespace

// The program's own table decodes as the system's converter does, text of
// every byte in any order and length.
TEST(CodePage, DecodesAsTheSystemsConverterDoes)
{
    QByteArray bytes;
    for (int i = 0; i < 5000; ++i)
        bytes += char((i * 131 + i / 256) & 0xFF);
    for (const qsizetype size : {qsizetype(0), qsizetype(1), qsizetype(255), bytes.size()})
        EXPECT_EQ(decodeCodePage(bytes.first(size)), decodeWithSystem(bytes.first(size))) << size;
}

TEST(CodePage, EveryByteSurvivesDecodeAndEncode)
{
    QByteArray all(256, Qt::Uninitialized);
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    const QString text = decodeCodePage(all);
    ASSERT_EQ(text.size(), 256);
    // Windows-1251 as published: Cyrillic letters, Ё and ё, №, €, the no-break space.
    const struct {
        char16_t character;
        uchar byte;
    } published[] = {{u'А', 0xC0}, {u'я', 0xFF}, {u'Ё', 0xA8}, {u'ё', 0xB8},
                     {u'№', 0xB9}, {u'€', 0x88}, {u'\u00A0', 0xA0}, {u'Ђ', 0x80}};
    for (const auto &p : published)
        EXPECT_EQ(text[p.byte], QChar(p.character)) << int(p.byte);

    QByteArray back;
    EXPECT_FALSE(encodeCodePage(text, back));
    EXPECT_EQ(back, all);

    // Lines as patches have them, mixing Latin letters, digits, Cyrillic
    // letters and the code page's other characters.
    const QByteArray lines[] = {
        "0A1B2C: FF00 ; \xCF\xE0\xF2\xF7 \xE4\xEB\xFF CX70 \xB8\xA8 \x96 \xB9 end",
        "\xC0\xDF\xE0\xFF\x7F\x01\x20\x41\xC0\xFFz\xBF\xC0",
    };
    for (const QByteArray &line : lines) {
        QByteArray encoded;
        EXPECT_FALSE(encodeCodePage(decodeCodePage(line), encoded));
        EXPECT_EQ(encoded, line);
    }
}

// Every UTF-16 unit, at the start, in the middle and at the end of a text:
// encoded as the code page's table says, or refused at its own place.
TEST(CodePage, EncodesEveryCharacterAsItsTableSaysWhereverItStands)
{
    const std::map<char16_t, char> model = codePageModel();
    ASSERT_GE(model.size(), 255u);
    const QString before = QStringLiteral("Патч"), after = QStringLiteral("x1");
    const QString line = QStringLiteral("0A1B2C: FF00 ; x"); // sixteen ASCII characters
    int wrong = 0;
    for (int unit = 0; unit < 0x10000; ++unit) {
        const QChar c = QChar(char16_t(unit));
        const auto known = model.find(char16_t(unit));
        const struct {
            QString text;
            qsizetype at;
        } places[] = {{QString(c) + after, 0}, {before + c + after, before.size()}, {before + c, before.size()},
                      // Among ASCII characters taken eight at a time, and past the last eight.
                      {line.first(5) + c + line, 5}, {line + c, 16}};
        for (const auto &place : places) {
            QByteArray out;
            const auto refused = encodeCodePage(place.text, out);
            const bool right = known == model.end()
                ? refused == place.at
                : !refused && out.size() == place.text.size() && out[place.at] == known->second;
            if (!right && ++wrong <= 10)
                ADD_FAILURE() << "U+" << std::hex << unit << " at " << std::dec << place.at;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(CodePage, FindsTheFirstCharacterItCannotHold)
{
    struct Case {
        QString text;
        qsizetype at;
    } cases[] = {
        {QStringLiteral("abc😀d"), 3},
        {QStringLiteral("Привет 中"), 7},
        {QStringLiteral("x\r\n€ ok ™ ü"), 10}, // € and ™ are in the code page, ü is not
        {QStringLiteral("a") + QChar(0xD800), 1}, // half a surrogate pair
        {QStringLiteral("ü ПАТЧ ü"), 0},
        {QStringLiteral("0A1B2C: ПАТЧ ДЛЯ CX70 ") + QChar(QChar::ReplacementCharacter) + QStringLiteral(" ü"), 22},
        {QStringLiteral("0A1B2C: ПАТЧ ДЛЯ CX70 ") + QChar(0x0450) + QChar(0x0400), 22}, // ѐ, then Ѐ
        // Within one run of eight: after a Cyrillic letter, the first of two,
        // the last of eight after seven Cyrillic letters.
        {QStringLiteral("0A1B2C: FF00 ;Яü"), 15},
        {QStringLiteral("0A1B2C: FFüü ; Я"), 10},
        {QStringLiteral("0A1B2C: FF00 ; ЯЯЯЯЯЯЯЯü"), 23},
        // Either side of where a long text is cut into blocks, after a block
        // the table had to encode.
        {QStringLiteral("Патч 0A1B: ").repeated(23) + u'ü', 253},
        {QStringLiteral("Патч 0A1B: ").repeated(23) + QStringLiteral("ЯЯЯü"), 256},
        {QStringLiteral("Патч 0A1B: ").repeated(23) + QStringLiteral("ЯЯЯЯü"), 257},
        {QStringLiteral("€ 0A1B: ").repeated(40) + QStringLiteral("Я ü"), 322},
    };
    for (const Case &c : cases) {
        QByteArray out;
        const auto at = encodeCodePage(c.text, out);
        ASSERT_TRUE(at.has_value()) << c.text.toStdString();
        EXPECT_EQ(*at, c.at) << c.text.toStdString();
    }
}

// A character at every position of texts of every length up to 20 (two and
// a half runs of eight), among ASCII characters from NUL to DEL, appended
// after a byte already there: encoded as the model says, or refused at its place.
TEST(CodePage, EncodesOrRefusesAtEveryPositionOfTextsOfAnyLength)
{
    const std::map<char16_t, char> model = codePageModel();
    const QString ascii = QStringLiteral("0A1b~:") + QChar(0x7F) + QChar(0) + QStringLiteral(" FF00\r\n; zZ9");
    const struct {
        char16_t character;
        const char *why;
    } cases[] = {
        {u'Я', "Cyrillic, in the code page"},
        {u'\u20AC', "the euro sign, in the code page, above U+00FF"},
        {u'\u0080', "the first unit above ASCII, not in the code page"},
        {u'\u0100', "nothing in the low byte, not in the code page"},
        {u'\u8041', "'A' in the low byte, not in the code page"},
        {u'\uFFFD', "the replacement character, never written"},
        {char16_t(0xD83D), "half a surrogate pair"},
    };
    int wrong = 0;
    for (const auto &c : cases) {
        for (qsizetype length = 1; length <= ascii.size(); ++length) {
            for (qsizetype at = 0; at < length; ++at) {
                QString text = ascii.first(length);
                text[at] = QChar(c.character);
                QByteArray expected = "x";
                std::optional<qsizetype> refusedAt;
                for (qsizetype i = 0; i < length && !refusedAt; ++i) {
                    const auto known = model.find(text[i].unicode());
                    if (known == model.end())
                        refusedAt = i;
                    else
                        expected += known->second;
                }
                QByteArray out = "x";
                const auto refused = encodeCodePage(text, out);
                const bool right = refusedAt ? refused == refusedAt : !refused && out == expected;
                if (!right && ++wrong <= 10)
                    ADD_FAILURE() << c.why << ", at " << at << " of " << length;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}
