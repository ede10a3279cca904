#include "runtime/codepage.h"

#include <gtest/gtest.h>

TEST(CodePage, EveryByteSurvivesDecodeAndEncode)
{
    QByteArray all(256, Qt::Uninitialized);
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    const QString text = decodeCodePage(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text[0xC0], QChar(u'А'));
    EXPECT_EQ(text[0xB8], QChar(u'ё'));
    EXPECT_EQ(text[0xA0], QChar(QChar::Nbsp));

    QByteArray back;
    EXPECT_FALSE(encodeCodePage(text, back));
    EXPECT_EQ(back, all);

    // Lines as patches have them, mixing Latin letters, digits, Cyrillic
    // letters and the code page's other characters within eight characters.
    const QByteArray lines[] = {
        "0A1B2C: FF00 ; \xCF\xE0\xF2\xF7 \xE4\xEB\xFF CX70 \xB8\xA8 \x96 \xB9 end",
        "\xC0\xDF\xE0\xFF\x7F\x01\x20\x41\xC0\xFFz\xBF\xC0",
    };
    for (const QByteArray &line : lines) {
        for (qsizetype from = 0; from < 8; ++from) {
            QByteArray encoded;
            EXPECT_FALSE(encodeCodePage(decodeCodePage(line.sliced(from)), encoded));
            EXPECT_EQ(encoded, line.sliced(from));
        }
    }
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
        // Runs of letters are encoded eight at a time: in a run, after one, at its end.
        {QStringLiteral("Патч 1ü34 ДЛЯ CX70"), 6},
        {QStringLiteral("0A1B2C: ПАТЧ ДЛЯ CX70 ü"), 22},
        {QStringLiteral("0A1B2C: ПАТЧ ДЛЯ CX70 ") + QChar(0x0400), 22}, // just before А
        {QStringLiteral("0A1B2C: ПАТЧ ДЛЯ CX70 ") + QChar(0x0450), 22}, // ѐ, just after я
    };
    for (const Case &c : cases) {
        QByteArray out;
        const auto at = encodeCodePage(c.text, out);
        ASSERT_TRUE(at.has_value()) << c.text.toStdString();
        EXPECT_EQ(*at, c.at) << c.text.toStdString();
    }
}
