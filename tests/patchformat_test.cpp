#include "patchformat/description.h"
#include "patchformat/patchreader.h"
#include "patchformat/patchwarnings.h"

#include "support/printers.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A reading in short: each record as line:ADDRESS new/old, then each line
// that cannot be read as line:!.
QString summary(const PatchReading &reading)
{
    QStringList parts;
    for (const PatchRecord &r : reading.records)
        parts += u"%1:%2 %3/%4"_s.arg(r.line).arg(r.address, 8, 16, QChar(u'0')).arg(r.newBytes).arg(r.oldBytes).toUpper();
    for (const UnreadableLine &u : reading.unreadable)
        parts += u"%1:!"_s.arg(u.line);
    return parts.join(u", ");
}

} // namespace

// Expected values are worked out by hand from the format's description.
TEST(PatchReader, ReadsRecordsAsTheToolDoes)
{
    const struct {
        QString text;
        QString read;
    } cases[] = {
        {u""_s, u""_s},
        {u"A0123456: 0102 AABB"_s, u"1:A0123456 2/2"_s},
        {u"0xA0123456 : AABBCC ; new bytes alone"_s, u"1:A0123456 3/0"_s},
        {u"\r\n; c\r\n// c\r\n# c\r\n/* c */ A0: 01 /* c\r\n c */\r\nA1: 02 # c"_s, u"5:000000A0 1/0, 7:000000A1 1/0"_s},
        {u"A0: 0102\\\r\n0304\nA8: 01"_s, u"1:000000A0 4/0, 3:000000A8 1/0"_s},
        // Offsets replace one another; +0 ends them.
        {u"+A0000000\n123456: 01\n+0\n10: 01"_s, u"2:A0123456 1/0, 4:00000010 1/0"_s},
        {u"+1000\n+2000\n10: 01"_s, u"3:00002010 1/0"_s},
        {u"-0x1000\n1010: 01"_s, u"2:00000010 1/0"_s},
        {u"#pragma enable old_equal_ff\nA0: 0102\n#pragma disable old_equal_ff\nA0: 0102"_s,
         u"2:000000A0 2/2, 4:000000A0 2/0"_s},
        // Items: hex, 0x, 0n and 0i numbers, texts; together or joined by commas.
        {u"A0: 0x1234\nA1: 0x123\nA2: 0x1\nA3: 0x12345678"_s, u"1:000000A0 2/0, 2:000000A1 2/0, 3:000000A2 1/0, 4:000000A3 4/0"_s},
        {u"A0: 0n1\nA1: 0n101010101\nA2: 0n11111111111111111111111111111111"_s,
         u"1:000000A0 1/0, 2:000000A1 2/0, 3:000000A2 4/0"_s},
        {u"A0: 0i+12\nA1: 0i-00005\nA2: 0i255\nA3: 0i-128\nA4: 0i65535\nA5: 0i18446744073709551615"_s,
         u"1:000000A0 1/0, 2:000000A1 2/0, 3:000000A2 1/0, 4:000000A3 1/0, 5:000000A4 2/0, 6:000000A5 8/0"_s},
        {u"A0: \"ab\"\nA1: 'ab'\nA2: \"a\\n\\x41\\101\\\\\\\"\"\nA3: \"a;b#c\"\nA4: \"\\/*\\/\\/*\\/\""_s,
         u"1:000000A0 2/0, 2:000000A1 4/0, 3:000000A2 6/0, 4:000000A3 5/0, 5:000000A4 6/0"_s},
        {u"A0: 0102\"ab\"0x1234,'a',0n1 FFFFFFFFFFFFFFFFFF"_s, u"1:000000A0 9/9"_s},
        // Placeholders are an error in the new bytes only.
        {u"A0: XXXX 0102\nA1: 01?? 0102\nA2: 0102 XXXX\nA3: nn\nA4: 01?? "_s, u"1:000000A0 2/2, 2:000000A1 2/2, 3:!, 4:!, 5:!"_s},
        // What the tool cannot read; the lines around still count.
        {u"A0: 010\nA1: 01 0203\nA2: 01 02 03\nA3:\n100000000: 01\nA4: GG\nhello\nA5: 01"_s,
         u"8:000000A5 1/0, 1:!, 2:!, 3:!, 4:!, 5:!, 6:!, 7:!"_s},
        {u"A0: 0x\nA1: 0x123456789\nA2: 0n2\nA3: 0n111111111111111111111111111111111\nA4: 0i0012\nA5: 0i999\nA6: 0i-129\n"
          u"A7: 0i18446744073709551616\nA8: 0i12a"_s,
         u"1:!, 2:!, 3:!, 4:!, 5:!, 6:!, 7:!, 8:!, 9:!"_s},
        {u"A0: \"a//b\"\nA1: \"ab\nA2: \"a*/\"\nA3: 01"_s, u"4:000000A3 1/0, 1:!, 2:!, 3:!"_s},
        {u"#pragma enable\n#pragma enable old_equal\n#pragma push\n+A000000G\n+100000000\n+1 2\n*/\nA0: 01"_s,
         u"8:000000A0 1/0, 1:!, 2:!, 3:!, 4:!, 5:!, 6:!, 7:!"_s},
        {u"+FFFFFFFF\n1: 01\n-10\n8: 01"_s, u"2:!, 4:!"_s},
        // A /* in a text opens a comment all the same; never closed, it swallows the rest.
        {u"A0: 01\nA1: \"/*\"\nA2: 01 */\nA3: 01 /* no end\nA4: 01"_s, u"1:000000A0 1/0, 4:000000A3 1/0, 2:!, 4:!"_s},
    };
    for (const auto &c : cases)
        EXPECT_EQ(summary(readPatchText(c.text)), c.read) << c.text.toStdString();
}

TEST(PatchReader, KnowsWhatIsInForceAtTheEnd)
{
    const struct {
        QString text;
        qint64 offset;
        int offsetLine;
        QList<int> pragmaLines; // old_equal_ff, undo, warn_no_old_on_apply, ..._new_..., ..._old_...
    } cases[] = {
        {u""_s, 0, 0, {0, 0, 0, 0, 0}},
        {u"+A0000000\n1: 01"_s, 0xA0000000, 1, {0, 0, 0, 0, 0}},
        {u"+A0000000\n1: 01\n+0"_s, 0, 0, {0, 0, 0, 0, 0}},
        {u"+10\n-20"_s, -0x20, 2, {0, 0, 0, 0, 0}},
        {u"#pragma enable old_equal_ff\n#pragma disable undo\n#pragma enable warn_no_old_on_apply"_s, 0, 0, {1, 2, 0, 0, 0}},
        {u"#pragma disable WARN_IF_NEW_EXIST_ON_APPLY\n#pragma disable warn_if_old_exist_on_undo\n"
         u"#pragma enable warn_if_new_exist_on_apply"_s, 0, 0, {0, 0, 0, 0, 2}},
        {u"#pragma enable old_equal_ff\n#pragma disable old_equal_ff"_s, 0, 0, {0, 0, 0, 0, 0}},
    };
    for (const auto &c : cases) {
        const PatchReading reading = readPatchText(c.text);
        EXPECT_EQ(reading.offset, c.offset) << c.text.toStdString();
        EXPECT_EQ(reading.offsetLine, c.offsetLine) << c.text.toStdString();
        EXPECT_EQ(QList<int>(reading.pragmaLine.begin(), reading.pragmaLine.end()), c.pragmaLines) << c.text.toStdString();
    }
}

TEST(PatchWarnings, FindsRecordsThatWriteTheSameBytes)
{
    const struct {
        const char *name;
        std::vector<PatchRecord> records; // line, address, new, old
        QList<QList<qint64>> overlaps;    // first line, second line, from, to
    } cases[] = {
        {"apart", {{1, 10, 2, 0}, {2, 12, 2, 0}, {3, 8, 2, 0}}, {}},
        {"one byte in common", {{1, 10, 4, 0}, {2, 13, 4, 0}}, {{1, 2, 13, 13}}},
        {"later one lower", {{1, 13, 4, 0}, {2, 10, 4, 0}}, {{1, 2, 13, 13}}},
        {"inside", {{1, 10, 10, 0}, {5, 12, 1, 0}, {7, 15, 2, 0}}, {{1, 5, 12, 12}, {1, 7, 15, 16}}},
        {"the same twice", {{1, 0xA0123456, 4, 4}, {9, 0xA0123456, 4, 4}}, {{1, 9, 0xA0123456, 0xA0123459}}},
        {"no bytes", {{1, 10, 0, 0}, {2, 10, 2, 0}, {3, 11, 0, 0}}, {}},
    };
    for (const auto &c : cases) {
        QList<QList<qint64>> found;
        for (const Overlap &o : findOverlaps(c.records))
            found.append({o.firstLine, o.secondLine, o.from, o.to});
        EXPECT_EQ(found, c.overlaps) << c.name;
    }
}

TEST(PatchWarnings, SaysWhatWasFoundWhereAndWhatToDo)
{
    const QString clean = u"\r\n; clean\r\nA0: 01\r\n+A0\r\n1: 02\r\n+0\r\n"_s;
    EXPECT_EQ(handoverWarning(readPatchText(clean)), u"");
    EXPECT_EQ(appendWarning(readPatchText(clean), u"o1.h"_s), u"");

    const QString text = u"+A0000000\n0123456: 00000000 01020304\n+0\n\n"
                         u"A0123458: 0000 0506\n#pragma enable old_equal_ff\nA0: 0102 0\n+10"_s;
    EXPECT_EQ(handoverWarning(readPatchText(text)),
              u"Прошивальщик запишет этот патч не так, как задумано:\n\n"
              u"• патчи в строках 2 и 5 пишут в одни и те же байты A0123458–A0123459: оставьте один из них\n"
              u"• «#pragma enable old_equal_ff» из строки 6 действует до конца текста и на все патчи ниже: "
              u"закончите патч строкой «#pragma disable old_equal_ff»\n"
              u"• строку 7 прошивальщик не прочтёт: в «0» нечётное число цифр\n"
              u"• смещение +10 из строки 8 действует до конца текста, и все патчи ниже запишутся со сдвигом: "
              u"закончите патч строкой «+0»\n\n"
              u"Передать его всё равно?"_s);
    EXPECT_EQ(appendWarning(readPatchText(text), u"/p/o1.h"_s).section(u'\n', 4),
              u"• смещение +10 из строки 8 действует до конца файла, и все патчи, добавленные после этого файла, "
              u"запишутся со сдвигом: файл должен заканчиваться строкой «+0»\n"
              u"• «#pragma enable old_equal_ff» из строки 6 действует до конца файла и на все патчи, добавленные "
              u"после этого файла: файл должен заканчиваться строкой «#pragma disable old_equal_ff»"_s);

    // Ten at most, then how many more.
    const QString lines = handoverWarning(readPatchText(u"x\n"_s.repeated(12)));
    EXPECT_EQ(lines.count(u"• строку"), 10);
    EXPECT_TRUE(lines.contains(u"• строку 10 прошивальщик не прочтёт: «x» — не запись «адрес: байты», не смещение и не #pragma\nи ещё 2\n\n"));
}

TEST(PatchDescription, IsTheFirstBlockOfCommentsAtTheTop)
{
    const QString longLine = u"x"_s.repeated(150);
    const QString cutLine = u"x"_s.repeated(99) + u'…';
    const QString fullLine = u"y"_s.repeated(100);
    const struct {
        QString text;
        QStringList lines;
    } cases[] = {
        {u""_s, {}},
        {u"A0: 01 ; late\r\n; not at the top"_s, {}},
        {u"; Автор: Иван\r\n;; Ускоряет меню\r\n\r\n; not this\r\nA0: 01"_s, {u"Автор: Иван"_s, u"Ускоряет меню"_s}},
        {u"\r\n  \r\n// one\r\n #\ttwo \r\n#pragma enable undo\r\n; three"_s, {u"one"_s, u"two"_s}},
        {u"/* one\r\n * two\r\n   three */\r\n; four\r\nA0: 01"_s, {u"one"_s, u"two"_s, u"three"_s, u"four"_s}},
        {u"/* c */ A0: 01\r\n"_s, {}},
        {u";;;;;;\r\n; title\r\n;\r\n; text\r\n;;;;;;"_s, {u"title"_s, u""_s, u"text"_s}},
        {(u";"_s + longLine + u"\n"_s).repeated(20), QStringList(15, cutLine)},
        {(u"; "_s + fullLine + u"\n"_s).repeated(15), QStringList(15, fullLine)},
        {(u"; z\n"_s).repeated(16), QStringList(14, u"z"_s) << u"z…"_s},
    };
    for (const auto &c : cases)
        EXPECT_EQ(patchDescription(c.text), c.lines) << c.text.toStdString();
}
