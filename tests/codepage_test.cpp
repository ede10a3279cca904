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
    };
    for (const Case &c : cases) {
        QByteArray out;
        const auto at = encodeCodePage(c.text, out);
        ASSERT_TRUE(at.has_value()) << c.text.toStdString();
        EXPECT_EQ(*at, c.at) << c.text.toStdString();
    }
}
