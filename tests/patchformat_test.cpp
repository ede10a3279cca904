#include "patchformat/description.h"
#include "patchformat/findingwords.h"
#include "patchformat/livereading.h"
#include "patchformat/patchreader.h"
#include "patchformat/patchreader_p.h"
#include "patchformat/patchwarnings.h"
#include "patchformat/words.h"

#include "support/printers.h"

#include <QStringList>
#include <algorithm>
#include <random>
#include "support/printers.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const char *const kindNames[] = {
    "NotAStatement", "AddressTooLarge", "NoBytes", "TooManyFields", "Unfinished", "FewerOldBytes", "OddDigits",
    "NotHexBytes", "NotHexNumber", "TooManyHexDigits", "NotBinaryNumber", "TooManyBinaryDigits", "NotDecimal",
    "DecimalDigitCount", "DecimalTooLarge", "UnclosedQuote", "CommentMarkInText", "TrailingJunk", "OffsetNotHex",
    "OffsetTooLarge", "PragmaWithoutAction", "UnknownPragma", "UnclosedComment", "StrayCommentEnd",
    "BlankAfterSign", "BlankBeforeColon", "CapitalLetters", "CommentWithoutBlank", "UnknownEscape",
    "SignedOutOfRange", "BareCarriageReturn",
};
static_assert(std::size(kindNames) == std::size_t(FindingKind::BareCarriageReturn) + 1);

QString hex(QByteArrayView bytes, const PatchReading &reading, qsizetype at)
{
    QString text;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const bool any = std::binary_search(reading.anyBytes.begin(), reading.anyBytes.end(), at + i);
        text += any ? u"??"_s : u"%1"_s.arg(uchar(bytes[i]), 2, 16, QChar(u'0')).toUpper();
    }
    return text;
}

// A reading in short: each record as line:ADDRESS old|new, then each finding
// as line.column+length:Kind, with its numbers where it has any.
QString summary(const PatchReading &reading)
{
    QStringList parts;
    for (const PatchRecord &r : reading.records) {
        parts += u"%1:%2 %3|%4"_s.arg(r.line)
                     .arg(QString::number(r.address, 16).toUpper().rightJustified(8, u'0'))
                     .arg(hex(reading.oldBytes(r), reading, r.oldAt), hex(reading.newBytes(r), reading, r.newAt));
    }
    for (const Finding &f : reading.findings) {
        QString part = u"%1.%2+%3:%4"_s.arg(f.line).arg(f.column).arg(f.length).arg(QLatin1String(kindNames[int(f.kind)]));
        if (f.numbers != std::array<qint64, 2>{})
            part += u"(%1,%2)"_s.arg(f.numbers[0]).arg(f.numbers[1]);
        parts += part;
    }
    return parts.join(u", ");
}

struct Row {
    const char *name;
    QString text;
    QString read;
};

void expectReadings(std::initializer_list<Row> rows)
{
    // Each row an edit of the one before, read again only where it changed.
    LiveReading live;
    for (const Row &row : rows) {
        const PatchReading reading = readPatchText(row.text);
        EXPECT_EQ(summary(reading), row.read) << row.name;
        EXPECT_EQ(*live.read(row.text), reading) << row.name;
        // Plain records take a quicker way, which must change nothing.
        EXPECT_EQ(reading, readPatchTextInFull(row.text)) << row.name;
        EXPECT_EQ(readPatchText(row.text, RecordBytes::Counted), readPatchTextInFull(row.text, RecordBytes::Counted))
            << row.name;
    }
}

} // namespace

// Expected values are worked out by hand from the format's description.
TEST(PatchReader, ReadsRecordsAndTheirBytesAsTheToolDoes)
{
    expectReadings({
        {"nothing", u""_s, u""_s},
        {"old and new", u"A0123456: 0102 AABB"_s, u"1:A0123456 0102|AABB"_s},
        {"0x address, new alone", u"0xA0123456: AABBCC ; new bytes alone"_s, u"1:A0123456 |AABBCC"_s},
        {"comments", u"\r\n; c\r\n// c\r\n# c\r\n/* c */ A0: 01 /* c\r\n c */\r\nA1: 02 # c"_s,
         u"5:000000A0 |01, 7:000000A1 |02"_s},
        {"a comment closed at the very end", u"A0: 01\r\n/* c */"_s, u"1:000000A0 |01"_s},
        {"joined lines", u"A0: 0102\\\r\n0304\nA8: 01"_s, u"1:000000A0 |01020304, 3:000000A8 |01"_s},
        // Offsets replace one another; +0 ends them; addresses wrap in 32 bits.
        {"offset", u"+A0000000\n123456: 01\n+0\n10: 01"_s, u"2:A0123456 |01, 4:00000010 |01"_s},
        {"offsets replace", u"+1000\n+2000\n10: 01"_s, u"3:00002010 |01"_s},
        {"negative offset", u"-0x1000\n1010: 01"_s, u"2:00000010 |01"_s},
        {"wrapping", u"+FFFFFFFF\n1: 01\n-10\n8: 01\n+FEF1DB5C\n01335637: 36"_s,
         u"2:00000000 |01, 4:FFFFFFF8 |01, 6:00253193 |36"_s},
        {"across the end", u"FFFFFFFF: 0102"_s, u"1:FFFFFFFF |0102"_s},
        {"old_equal_ff", u"#pragma enable old_equal_ff\nA0: 0102\nA1: 03 04\n#pragma disable old_equal_ff\nA0: 0102"_s,
         u"2:000000A0 FFFF|0102, 3:000000A1 03|04, 5:000000A0 |0102"_s},
        {"plain records", u"\tA0:\v0102\f0304 ; c\r\nA1:01\r\n000000001: 01\nA2: 01   "_s,
         u"1:000000A0 0102|0304, 2:000000A1 |01, 3:00000001 |01, 4:000000A2 |01"_s},
        {"near plain records", u"A0: 01,02\nA1: 0102 03 ; c\nA2: 01 /* c */\nA3: 01 // c\nA4: 01 # c\nA5:\t0102\t0304\t"_s,
         u"1:000000A0 |0102, 2:000000A1 0102|03, 3:000000A2 |01, 4:000000A3 |01, 5:000000A4 |01, 6:000000A5 0102|0304"_s},
        {"old bytes longer than new", u"A0: 010203 AABB"_s, u"1:000000A0 010203|AABB"_s},
        // The quick pass takes 64 bytes of a field at a time and 256 of a record.
        {"a field of 65 bytes", u"A0: "_s + u"0123456789ABCDEF"_s.repeated(8) + u"AB"_s,
         u"1:000000A0 |"_s + u"0123456789ABCDEF"_s.repeated(8) + u"AB"_s},
        {"a record of 257 bytes", u"A0: "_s + u"00112233"_s.repeated(32) + u"44 "_s + u"FEDCBA98"_s.repeated(32) + u"\nA1: 01"_s,
         u"1:000000A0 "_s + u"00112233"_s.repeated(32) + u"44|"_s + u"FEDCBA98"_s.repeated(32) + u", 2:000000A1 |01"_s},
        {"one field of 257 bytes", u"A0: "_s + u"00112233"_s.repeated(64) + u"44"_s,
         u"1:000000A0 |"_s + u"00112233"_s.repeated(64) + u"44"_s},
        {"every digit, either case", u"A0: 0123456789abcdef 0123456789ABCDEF\nA1: aBcD eFfE"_s,
         u"1:000000A0 0123456789ABCDEF|0123456789ABCDEF, 2:000000A1 ABCD|EFFE"_s},
        // Letters whose low byte is a digit's or a letter A to F are none.
        {"digits' look-alikes", u"A0: 01\u0130203\nA1: 010\u0141\nA2: 0\u0161"_s,
         u"1.5+6:NotHexBytes, 2.5+4:NotHexBytes, 3.5+2:NotHexBytes"_s},
        // Items: hex, 0x, 0n and 0i numbers, texts; together or joined by commas.
        {"0x", u"A0: 0x1234\nA1: 0x123\nA2: 0x1\nA3: 0x12345678"_s,
         u"1:000000A0 |3412, 2:000000A1 |2301, 3:000000A2 |01, 4:000000A3 |78563412"_s},
        {"0n", u"A0: 0n1\nA1: 0n101010101\nA2: 0n11111111111111111111111111111111"_s,
         u"1:000000A0 |01, 2:000000A1 |5501, 3:000000A2 |FFFFFFFF"_s},
        {"0i", u"A0: 0i+12\nA1: 0i-00005\nA2: 0i255\nA3: 0i-128\nA4: 0i65535\nA5: 0i18446744073709551615"_s,
         u"1:000000A0 |0C, 2:000000A1 |FBFF, 3:000000A2 |FF, 4:000000A3 |80, 5:000000A4 |FFFF, "
         u"6:000000A5 |FFFFFFFFFFFFFFFF"_s},
        {"texts", u"A0: \"ab\"\nA1: 'ab'\nA2: \"a\\n\\x41\\101\\\\\\\"\"\nA3: \"a;b#c\"\nA4: \"\\/*\\/\\/*\\/\"\nA5: \"Я\"\nA6: 'Я'"_s,
         u"1:000000A0 |6162, 2:000000A1 |61006200, 3:000000A2 |610A41415C22, 4:000000A3 |613B622363, "
         u"5:000000A4 |2F2A2F2F2A2F, 6:000000A5 |DF, 7:000000A6 |2F04"_s},
        {"octal of three digits at most", u"A0: \"\\1012\""_s, u"1:000000A0 |4132"_s},
        {"a text joined across lines", u"A0: \"ab\\\r\ncd\""_s, u"1:000000A0 |61626364"_s},
        {"items together", u"A0: 0102\"ab\"0x1234,'a',0n1 FFFFFFFFFFFFFFFFFF"_s,
         u"1:000000A0 010261623412610001|FFFFFFFFFFFFFFFFFF"_s},
        // Placeholders are an error in the new bytes only; in the old ones any byte matches.
        {"placeholders", u"A0: XXXX 0102\nA1: 01?? 0102\nA2: 0102 XXXX\nA3: nn\nA4: 01?? "_s,
         u"1:000000A0 ????|0102, 2:000000A1 01??|0102, 3.10+4:Unfinished, 4.5+2:Unfinished, 5.5+4:Unfinished"_s},
    });
}

// What the tool cannot read; the lines around still count, and one bad line
// never hides the lines after it.
TEST(PatchReader, ReportsWhatTheToolCannotReadWhereItStands)
{
    expectReadings({
        {"records", u"A0: 010\nA1: 01 0203\nA2: 01 02 03\nA3:\n100000000: 01\nA4: GG\nhello\nA5: 01"_s,
         u"8:000000A5 |01, 1.5+3:OddDigits, 2.5+2:FewerOldBytes(1,2), 3.11+2:TooManyFields, 4.1+3:NoBytes, "
         u"5.1+9:AddressTooLarge, 6.5+2:Unfinished, 7.1+5:NotAStatement"_s},
        {"numbers", u"A0: 0x\nA1: 0x123456789\nA2: 0n2\nA3: 0n111111111111111111111111111111111\nA4: 0i0012\n"
                    u"A5: 0i999\nA6: 0i-129\nA7: 0i18446744073709551616\nA8: 0i12a"_s,
         u"1.5+2:NotHexNumber, 2.5+11:TooManyHexDigits, 3.5+3:NotBinaryNumber, 4.5+35:TooManyBinaryDigits, "
         u"5.5+6:DecimalDigitCount(4,0), 6.5+5:DecimalTooLarge(1,0), 7.5+6:DecimalTooLarge(1,0), "
         u"8.5+22:DecimalTooLarge(8,0), 9.5+5:NotDecimal"_s},
        {"texts", u"A0: \"a//b\"\nA1: \"ab\nA2: \"a*/\"\nA3: 01"_s,
         u"4:000000A3 |01, 1.7+2:CommentMarkInText, 2.5+3:UnclosedQuote, 3.7+2:CommentMarkInText"_s},
        {"offsets and pragmas", u"#pragma enable\n#pragma enable old_equal\n#pragma push\n+A000000G\n+100000000\n+1 2\n*/\nA0: 01"_s,
         u"8:000000A0 |01, 1.1+14:UnknownPragma, 2.1+24:UnknownPragma, 3.1+12:PragmaWithoutAction, "
         u"4.1+9:OffsetNotHex, 5.1+10:OffsetTooLarge, 6.4+1:TrailingJunk, 7.1+2:StrayCommentEnd"_s},
        // A /* in a text opens a comment all the same; never closed, it swallows the rest.
        {"comment marks", u"A0: 01\nA1: \"/*\"\nA2: 01 */\nA3: 01 /* no end\nA4: 01"_s,
         u"1:000000A0 |01, 4:000000A3 |01, 2.6+2:CommentMarkInText, 4.8+2:UnclosedComment"_s},
        {"an escaped /* after an error opens nothing", u"A0000000: 0Z \"\\/*\"\nA0000010: 01\n+10\n0: 02"_s,
         u"2:A0000010 |01, 4:00000010 |02, 1.11+2:NotHexBytes"_s},
        // A */ in a text opens nothing: the text goes on, escapes and all.
        {"an escaped /* after a */ in a text opens nothing", u"A0000000: \"*/\\/*\"\nA0000010: 01"_s,
         u"2:A0000010 |01, 1.12+2:CommentMarkInText"_s},
        {"a */ in a text, and a */ further down", u"A0: \"*/\\/*\"\nA1: 01\nA2: 02 */\nA3: 03"_s,
         u"2:000000A1 |01, 3:000000A2 |02, 4:000000A3 |03, 1.6+2:CommentMarkInText, 3.8+2:StrayCommentEnd"_s},
        {"the span to the line's end takes in a text", u"A0: 01 02 \"ab\" ; c"_s, u"1.11+4:TooManyFields"_s},
        {"columns after a comment over lines", u"/* a\n b */ A0: 0Z\n/* c\r */A1: 0Y"_s,
         u"2.11+2:NotHexBytes, 4.8+2:NotHexBytes"_s},
        {"a /*/ closes nothing", u"/*/ A0: 01\n*/ A1: 02"_s, u"2:000000A1 |02"_s},
        {"#pragmatic is a comment", u"#pragmatic\n#pragma_x\nA0: 01"_s, u"3:000000A0 |01"_s},
        {"the whole line quoted", u"A0123456 01 02\nA0G: 01 ; c"_s, u"1.1+14:NotAStatement, 2.1+7:NotAStatement"_s},
        {"no bytes in a text", u"A0: \"\"\nA1: 01 ''\nA2: \"\" 01"_s, u"1.1+6:NoBytes, 2.1+9:NoBytes, 3.5+2:FewerOldBytes(0,1)"_s},
        {"comments where blanks stand", u"#pragma enable /* c */ old_equal_ff\nA0/* c */: 01\n+/* c */A0000000\n1: 02"_s,
         u"2:000000A0 FF|01, 4:A0000001 FF|02, 2.3+7:BlankBeforeColon, 3.2+7:BlankAfterSign"_s},
        {"a stray */ and a record after it", u"*/ 7416D595: D2\nA0: 01 */"_s,
         u"1:7416D595 |D2, 2:000000A0 |01, 1.1+2:StrayCommentEnd, 2.8+2:StrayCommentEnd"_s},
    });
}

// Forms the tool may read otherwise: read the likeliest way, and said.
TEST(PatchReader, DoubtsWhereTheToolMayReadOtherwise)
{
    expectReadings({
        {"blank after the sign", u"+ A0000000\n1: 01"_s, u"2:A0000001 |01, 1.2+1:BlankAfterSign"_s},
        {"a comment after the sign", u"+ /* c */ A0000000\n1: 01"_s, u"2:A0000001 |01, 1.2+9:BlankAfterSign"_s},
        {"blank before the colon", u"A0000000 : 01\nA0 /* c */ : 02"_s,
         u"1:A0000000 |01, 2:000000A0 |02, 1.9+1:BlankBeforeColon, 2.3+9:BlankBeforeColon"_s},
        {"capital prefixes", u"A0: 0X1234 0N1,0I1\n+0X10\n0: 01"_s,
         u"1:000000A0 3412|0101, 3:00000010 |01, 1.5+2:CapitalLetters, 1.12+2:CapitalLetters, "
         u"1.16+2:CapitalLetters, 2.2+2:CapitalLetters"_s},
        {"capital pragma", u"#PRAGMA Enable old_equal_ff\nA0: 01\n#pragma disable OLD_EQUAL_FF"_s,
         u"2:000000A0 FF|01, 1.1+7:CapitalLetters, 1.9+6:CapitalLetters, 3.17+12:CapitalLetters"_s},
        // Real patches write a ; right after the bytes, and the tool reads it so.
        {"a comment right after the bytes", u"A0: 0x12;c\nA1: 34//c\nA2: 56;c\n+0#c\nA3: 0102 AABB; c"_s,
         u"1:000000A0 |12, 2:000000A1 |34, 3:000000A2 |56, 5:000000A3 0102|AABB, 2.7+2:CommentWithoutBlank, "
         u"4.3+1:CommentWithoutBlank"_s},
        {"unknown escapes", u"A0: \"\\q\"\nA1: '\\u0410'\nA2: \"\\X41\""_s,
         u"1:000000A0 |71, 2:000000A1 |75003000340031003000, 3:000000A2 |41, 1.6+2:UnknownEscape, "
         u"2.6+2:UnknownEscape, 3.6+2:CapitalLetters"_s},
        // The blank and the backquote stand for themselves, as every reader takes them.
        {"a blank and a backquote escaped", u"A0: \"a\\ b\\`\""_s, u"1:000000A0 |61206260"_s},
        {"a signed number too large for its size", u"A0: 0i+200\nA1: 0i+127\nA2: 0i200"_s,
         u"1:000000A0 |C8, 2:000000A1 |7F, 3:000000A2 |C8, 1.5+6:SignedOutOfRange"_s},
        // A CR alone ends a line, as in the text box, whatever the line holds;
        // at the very end nothing could be read otherwise.
        {"a bare CR", u"A0:\r01\nA1: 02\r\r\nA2: 03\r"_s,
         u"3:000000A1 |02, 5:000000A2 |03, 1.1+3:NoBytes, 1.4+1:BareCarriageReturn, 2.1+2:NotAStatement, "
         u"3.7+1:BareCarriageReturn"_s},
        {"a bare CR ends a comment", u"; c\rA0000000: 01\n// c\rA1: 02"_s,
         u"2:A0000000 |01, 4:000000A1 |02, 1.4+1:BareCarriageReturn, 3.5+1:BareCarriageReturn"_s},
        {"a bare CR between records", u"A0000000: 01\r00000010: 02"_s,
         u"1:A0000000 |01, 2:00000010 |02, 1.13+1:BareCarriageReturn"_s},
        {"a bare CR in a text or after a joining backslash", u"A0: \"a\rb\"\nA1: 01\\\r02"_s,
         u"3:000000A1 |0102, 1.5+2:UnclosedQuote, 1.7+1:BareCarriageReturn, 2.1+2:NotAStatement, "
         u"3.8+1:BareCarriageReturn"_s},
        {"none on a line that cannot be read", u"+ A000000G\nA0 : 0Z"_s, u"1.1+10:OffsetNotHex, 2.6+2:NotHexBytes"_s},
    });
}

// Where each record stands, so that it can be written otherwise: its
// address to its last field, and its fields; and whether undo was off.
TEST(PatchReader, KnowsWhereEachRecordStandsAndWhetherUndoWasOff)
{
    const struct {
        const char *name;
        QString text;
        QStringList records; // the record as written|its fields, and "undo off" where it was
    } rows[] = {
        {"plain", u"\t A0: 01 02 ; c\r\nA1:03"_s, {u"A0: 01 02|01 02"_s, u"A1:03|03"_s}},
        {"items and comments", u"0xA0 /* c */ :\t0x1234,\"ab\" 01 // c"_s, {u"0xA0 /* c */ :\t0x1234,\"ab\" 01|0x1234,\"ab\" 01"_s}},
        {"joined lines", u"A0: 01\\\r\n02 0304\nA1: 05"_s, {u"A0: 01\\\r\n02 0304|01\\\r\n02 0304"_s, u"A1: 05|05"_s}},
        {"undo off for a while", u"A0: 01\n#pragma disable undo\nA1: 01 02\nA2: 0x01\n#pragma enable undo\nA3: 01"_s,
         {u"A0: 01|01"_s, u"A1: 01 02|01 02 undo off"_s, u"A2: 0x01|0x01 undo off"_s, u"A3: 01|01"_s}},
    };
    for (const auto &row : rows) {
        const PatchReading reading = readPatchText(row.text);
        QStringList records;
        for (const PatchRecord &r : reading.records) {
            records += row.text.sliced(r.textAt, r.textEnd - r.textAt) + u'|' + row.text.sliced(r.fieldsAt, r.textEnd - r.fieldsAt)
                + (r.undoOff ? u" undo off"_s : u""_s);
        }
        EXPECT_EQ(records, row.records) << row.name;
        EXPECT_EQ(reading, readPatchTextInFull(row.text)) << row.name;
    }
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

// Typed, pasted and deleted at random, a text of patches reads as read from
// scratch: whatever is left on, a comment opened, a line end cut in two.
TEST(LiveReading, ReadsAsFromScratchAfterAnyEdit)
{
    const QStringList pieces = {
        u"\r\n;CX70v50\r\n;Часы\r\n100: 01 02\r\n101: 0203 0405 ; c\r\n"_s,
        u"\r\n+A0000000\r\n123456: 01\r\n+0\r\n"_s,
        u"\r\n#pragma enable old_equal_ff\r\n300: AABB\r\n#pragma disable old_equal_ff\r\n"_s,
        u"\r\n/* comment\r\n\r\n spanning */\r\n200: \"ab\" XX\r\n"_s,
        u"\r\n\r\n"_s, u"\r\n"_s, u"\n"_s, u"\r"_s, u"/*"_s, u"*/"_s, u"+10\r\n"_s, u"#pragma disable undo\r\n"_s,
        u"1F0: 00\\\r\n11 2233\r\n"_s, u"xyz"_s, u" "_s, u"\""_s, u"5"_s,
    };
    std::mt19937 random(7);
    QString text;
    for (int p = 0; p < 12; ++p)
        text += pieces[int(random() % 3)];
    LiveReading live;
    for (int step = 0; step < 600; ++step) {
        const qsizetype at = text.isEmpty() ? 0 : qsizetype(random() % quint32(text.size() + 1));
        // Most edits are a few characters, as typed.
        if (random() % 3 == 0 && !text.isEmpty())
            text.remove(at, 1 + qsizetype(random() % 12));
        else if (random() % 4 == 0)
            text.insert(at, QChar(u"0A; \r\n"[random() % 6]));
        else
            text.insert(at, pieces[int(random() % pieces.size())]);
        ASSERT_EQ(*live.read(text), readPatchText(text)) << "step " << step;
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
        {"across the end", {{1, 0xFFFFFFFF, 2, 0}, {2, 0, 1, 0}}, {{1, 2, 0, 0}}},
        {"across the end and apart", {{1, 0xFFFFFFFE, 3, 0}, {2, 1, 1, 0}, {3, 0xFFFFFFF0, 0xE, 0}}, {}},
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
    EXPECT_EQ(handoverWarning(clean, readPatchText(clean)), u"");
    EXPECT_EQ(appendWarning(readPatchText(clean), {}, u"o1.h"_s), u"");

    const QString text = u"+A0000000\n0123456: 00000000 01020304\n+0\n\n"
                         u"A0123458: 0000 0506\n#pragma enable old_equal_ff\nA0: 0102 0\n+10"_s;
    EXPECT_EQ(handoverWarning(text, readPatchText(text)),
              u"Прошивальщик запишет этот патч не так, как задумано:\n\n"
              u"• патчи в строках 2 и 5 пишут в одни и те же байты A0123458–A0123459: оставьте один из них\n"
              u"• «#pragma enable old_equal_ff» из строки 6 действует до конца текста и на все патчи ниже: "
              u"закончите патч строкой «#pragma disable old_equal_ff»\n"
              u"• строку 7 прошивальщик не прочтёт: в «0» нечётное число цифр\n"
              u"• смещение +10 из строки 8 действует до конца текста, и все патчи ниже запишутся со сдвигом: "
              u"закончите патч строкой «+0»\n\n"
              u"Передать его всё равно?"_s);
    EXPECT_EQ(appendWarning(readPatchText(text), {}, u"/p/o1.h"_s).section(u'\n', 4),
              u"• смещение +10 из строки 8 действует до конца файла, и все патчи, добавленные после этого файла, "
              u"запишутся со сдвигом: файл должен заканчиваться строкой «+0»\n"
              u"• «#pragma enable old_equal_ff» из строки 6 действует до конца файла и на все патчи, добавленные "
              u"после этого файла: файл должен заканчиваться строкой «#pragma disable old_equal_ff»"_s);

    // Ten at most, then how many more; exactly ten, all of them.
    for (const int count : {10, 12}) {
        const QString text = u"x\n"_s.repeated(count);
        const QString lines = handoverWarning(text, readPatchText(text));
        EXPECT_EQ(lines.count(u"• строку"), 10);
        EXPECT_EQ(lines.contains(u"и ещё"), count > 10) << count;
        EXPECT_TRUE(lines.contains(u"• строку 10 прошивальщик не прочтёт: «x» — не запись «адрес: байты», не смещение и не #pragma\n"));
    }

    const QString negative = u"+10\n-20\nA0: 01"_s;
    EXPECT_TRUE(handoverWarning(negative, readPatchText(negative)).contains(u"• смещение -20 из строки 2 действует"));

    // Only what informs: the tool reads it as meant, and the box says so first.
    const QString onPhone = u"A0: 01"_s;
    EXPECT_EQ(handoverWarning(onPhone, readPatchText(onPhone), {{1, u"запись уже на телефоне"_s, true}}),
              u"Прошивальщик запишет этот патч как задумано, но обратите внимание:\n\n"
              u"• запись уже на телефоне\n\nПередать его всё равно?"_s);
    EXPECT_TRUE(handoverWarning(onPhone, readPatchText(onPhone), {{1, u"не подходит"_s, false}})
                    .startsWith(u"Прошивальщик запишет этот патч не так, как задумано:"_s));

    // Only doubts: the tool may read it otherwise, and the user decides.
    const QString doubtful = u"+ A0000000\n1: 01\n+0"_s;
    EXPECT_EQ(handoverWarning(doubtful, readPatchText(doubtful)),
              u"Прошивальщик может прочесть этот патч не так, как задумано:\n\n"
              u"• строку 1 прошивальщик может прочесть иначе: пробел между знаком смещения и числом: пишите их слитно, "
              u"как «+A0000000»\n\nПередать его всё равно?"_s);
}

// Patches of the collection in one text are named by their headers: a pair
// that writes the same bytes is said once, a patch appended twice as such;
// where there is no header, the lines.
TEST(PatchWarnings, SpeaksOfPatchesByTheirNamesWhereTheyHaveHeaders)
{
    const QString clock = u"\r\n;CX70v50\r\n;Часы\r\n100: 01 02\r\n101: 01 02\r\n"_s;
    const QString menu = u"\r\n;CX70v50\r\n;Меню\r\n100: 0102 0304\r\n"_s;
    QString many = u"\r\n;CX70v50\r\n;Большой\r\n"_s, other = u"\r\n;CX70v50\r\n;Другой\r\n"_s;
    for (int r = 0; r < 300; ++r) {
        many += u"%1: 00 01\r\n"_s.arg(0x1000 + r, 0, 16);
        other += u"%1: 00 02\r\n"_s.arg(0x1000 + r, 0, 16);
    }
    const struct {
        const char *name;
        QString text;
        QStringList said;
    } cases[] = {
        {"two patches, the same bytes", clock + menu,
         {u"• патчи «Часы» и «Меню» пишут в одни и те же 2 байта, первый из них по адресу 00000100: оставьте один из патчей"_s}},
        {"one patch twice", clock + clock, {u"• патч «Часы» добавлен дважды: уберите лишний"_s}},
        {"one patch three times", clock + clock + clock, {u"• патч «Часы» добавлен 3 раза: оставьте один"_s}},
        {"300 records each", many + other,
         {u"• патчи «Большой» и «Другой» пишут в одни и те же 300 байт, первый из них по адресу 00001000: оставьте один из патчей"_s}},
        {"no headers", u"100: 01 02\r\n100: 01 03"_s,
         {u"• патчи в строках 1 и 2 пишут в один и тот же байт 00000100: оставьте один из них"_s}},
        {"no headers, two bytes", u"100: 0102 0304\r\n100: 0102 0305"_s,
         {u"• патчи в строках 1 и 2 пишут в одни и те же байты 00000100–00000101: оставьте один из них"_s}},
        {"a record before the first header", u"101: 01 02"_s + clock,
         {u"• патчи в строках 1 и 5 пишут в один и тот же байт 00000101: оставьте один из них"_s}},
        {"within one patch", u"\r\n;CX70v50\r\n;Часы\r\n100: 0102 0304\r\n101: 01 02\r\n"_s,
         {u"• патчи в строках 4 и 5 пишут в один и тот же байт 00000101: оставьте один из них"_s}},
        // Each pair once, however many copies, in the order of the text.
        {"one patch twice and one it shares bytes with", clock + clock + menu,
         {u"• патч «Часы» добавлен дважды: уберите лишний"_s,
          u"• патчи «Часы» и «Меню» пишут в одни и те же 2 байта, первый из них по адресу 00000100: оставьте один из патчей"_s}},
        {"the other one first", menu + clock + clock + clock,
         {u"• патчи «Меню» и «Часы» пишут в одни и те же 2 байта, первый из них по адресу 00000100: оставьте один из патчей"_s,
          u"• патч «Часы» добавлен 3 раза: оставьте один"_s}},
        {"a single byte", u"\r\n;CX70v50\r\n;Один\r\n100: 01 02\r\n"_s + u"\r\n;CX70v50\r\n;Другой\r\n100: 01 03\r\n"_s,
         {u"• патчи «Один» и «Другой» пишут в один и тот же байт, первый из них по адресу 00000100: оставьте один из патчей"_s}},
        {"one name, two firmwares", clock + u"\r\n;CX70v56\r\n;Часы\r\n100: 01 02\r\n"_s,
         {u"• патчи «Часы» (CX70v50) и «Часы» (CX70v56) пишут в один и тот же байт, первый из них по адресу 00000100: "
          u"оставьте один из патчей"_s}},
        // Each header read from its own line: 40,000 empty comments took 28 s.
        {"40,000 empty comment lines between them",
         u"\r\n;CX70v50\r\n;Один\r\n100: 01 02\r\n"_s + u";\r\n"_s.repeated(40000) + u"\r\n;CX70v50\r\n;Другой\r\n100: 01 03\r\n"_s,
         {u"• патчи «Один» и «Другой» пишут в один и тот же байт, первый из них по адресу 00000100: оставьте один из патчей"_s}},
        {"two patches that only touch", u"\r\n;CX70v50\r\n;Один\r\n100: 01 02\r\n"_s + u"\r\n;CX70v50\r\n;Другой\r\n101: 01 03\r\n101: 01 04\r\n"_s,
         {u"• патчи в строках 8 и 9 пишут в один и тот же байт 00000101: оставьте один из них"_s}},
        // Records that expect what one above them leaves are meant so.
        {"a range cleared, then written into", u"\r\n;CX70v50\r\n;Часы\r\n100: 0102 0000\r\n100: 0000 0304\r\n"_s, {}},
        {"a patch taken off, then another variant", u"\r\n;CX70v50\r\n;Снимает с телефона патч «Часы»\r\n100: 02 01\r\n"_s
                                                        + u"\r\n;CX70v50\r\n;Часы 2\r\n100: 01 03\r\n"_s,
         {u"• патч «Часы 2» пишет поверх патча «Снимает с телефона патч „Часы“» и ждёт то, что тот оставит, в 1 байте, "
          u"первый по адресу 00000100: порядок важен, сохраните его"_s}},
        {"old bytes alone reaching what one above wrote", u"101: 02 04\r\n100: 0102 05"_s,
         {u"• запись в строке 2 ждёт байты, которые запись в строке 1 уже переписала: прошивальщик её не запишет"_s}},
    };
    for (const auto &c : cases) {
        QStringList said;
        for (const QString &line : handoverWarning(c.text, readPatchText(c.text)).split(u'\n')) {
            if (line.startsWith(u"• ") || line.startsWith(u"и ещё"))
                said += line;
        }
        EXPECT_EQ(said, c.said) << c.name;
    }
}

// The box's first line says how the tool will take the text, by the worst of
// what is said; a patch appended, what it leaves on and whom it was written for.
TEST(PatchWarnings, LeadWithTheWorstOfWhatTheySay)
{
    const QString otherwise = u"Прошивальщик запишет этот патч не так, как задумано:"_s;
    const QString maybe = u"Прошивальщик может прочесть этот патч не так, как задумано:"_s;
    const struct {
        const char *name;
        QString text;
        QString lead;
    } cases[] = {
        {"two patches of the collection, nothing else", u"\r\n;CX70v50\r\n;Один\r\n100: 01 02\r\n\r\n;CX70v50\r\n;Два\r\n100: 01 03"_s,
         otherwise},
        {"an error, then a doubt", u"x\n+ A0000000\n1: 01\n+0"_s, otherwise},
        {"a doubt, then an error", u"+ A0000000\n1: 01\n+0\nx"_s, otherwise},
        {"a doubt alone", u"+ A0000000\n1: 01\n+0"_s, maybe},
    };
    for (const auto &c : cases)
        EXPECT_EQ(handoverWarning(c.text, readPatchText(c.text)).section(u'\n', 0, 0), c.lead) << c.name;

    const PatchHeader other{PhoneFirmware{u"S65"_s, u"58"_s}, u"Clock"_s, {}};
    const PatchHeader ours{PhoneFirmware{u"cx70"_s, u"50"_s}, u"Часы"_s, {}};
    const QString offsetLeft = u"+A0000000\n1: 01"_s, clean = u"1: 01"_s;
    const struct {
        const char *name;
        QString text;
        PatchHeader header;
        QString lead;
    } appended[] = {
        {"this phone, an offset left on", offsetLeft, ours, u"Патч добавлен, но он не отменяет в конце то, что включил."_s},
        {"another phone", clean, other, u"Патч добавлен, но он написан не для этого телефона или прошивки."_s},
        {"another phone, an offset left on", offsetLeft, other, u"Патч добавлен, но обратите внимание:"_s},
        {"this phone in small letters", clean, ours, u""_s},
    };
    for (const auto &a : appended)
        EXPECT_EQ(appendWarning(readPatchText(a.text), a.header, u"p.vkp"_s).section(u'\n', 0, 0), a.lead) << a.name;
}

// Each kind in its own words, quoting what stands at fault.
TEST(PatchWarnings, NamesEachFindingInItsOwnWords)
{
    const struct {
        QString text;
        QString words;
    } cases[] = {
        {u"A0123456 01 02"_s, u"строку 1 прошивальщик не прочтёт: «A0123456 01 02» — не запись «адрес: байты», не смещение и не #pragma"_s},
        {u"\nA0G: 01 ; c"_s, u"строку 2 прошивальщик не прочтёт: «A0G: 01» — не запись «адрес: байты», не смещение и не #pragma"_s},
        {u"A0: 01 0203"_s, u"строку 1 прошивальщик не прочтёт: старых байтов меньше, чем новых: 1 и 2"_s},
        {u"A0: 0i0012"_s, u"строку 1 прошивальщик не прочтёт: в числе «0i0012» 4 цифры, а пишут 1–3, 5, 8, 10, 13, 15, 17 или 20"_s},
        {u"A0: 0i999"_s, u"строку 1 прошивальщик не прочтёт: число «0i999» не помещается в 1 байт"_s},
        {u"A0: 0x123456789"_s, u"строку 1 прошивальщик не прочтёт: в числе «0x123456789» больше 8 цифр"_s},
        {u"A0: \"a//b\""_s, u"строку 1 прошивальщик не прочтёт: «//» в тексте в кавычках пишут как «\\//»"_s},
        {u"A0: 01 02 03 04"_s, u"строку 1 прошивальщик не прочтёт: в записи больше двух полей: «03 04»"_s},
        {u"+1 2 ; c"_s, u"строку 1 прошивальщик не прочтёт: лишнее в конце строки: «2»"_s},
        {u"A0: 01 /* c"_s, u"в строке 1 комментарий «/*» не закрыт, и весь текст после него прошивальщик пропустит"_s},
        {u"*/ A0: 01"_s, u"в строке 1 «*/» без открывающего «/*»: уберите его"_s},
        {u"#pragma enable UNDO"_s, u"строку 1 прошивальщик может прочесть иначе: «UNDO» пишут строчными буквами: «undo»"_s},
        {u"A0: '\\u0410'"_s, u"строку 1 прошивальщик может прочесть иначе: в тексте «\\u» — такой замены нет, прочитано как «u»"_s},
        {u"A0: 01//c"_s, u"строку 1 прошивальщик может прочесть иначе: комментарий «//» вплотную к записи: поставьте перед ним пробел"_s},
        {u"+A000000G"_s, u"строку 1 прошивальщик не прочтёт: смещение «+A000000G» — не шестнадцатеричное число"_s},
        {u"-100000000"_s, u"строку 1 прошивальщик не прочтёт: смещение «-100000000» больше FFFFFFFF"_s},
        {u"A0: 0i12345678901"_s, u"строку 1 прошивальщик не прочтёт: в числе «0i12345678901» 11 цифр, а пишут 1–3, 5, 8, 10, 13, 15, 17 или 20"_s},
        {u"A0: 0i123456789012345678901"_s, u"строку 1 прошивальщик не прочтёт: в числе «0i123456789012345678901» 21 цифра, а пишут 1–3, 5, 8, 10, 13, 15, 17 или 20"_s},
        {u"+ /* c */ A0\n+0"_s, u"строку 1 прошивальщик может прочесть иначе: комментарий между знаком смещения и числом: пишите их слитно, как «+A0000000»"_s},
        {u"A0 /* c */ : 01"_s, u"строку 1 прошивальщик может прочесть иначе: комментарий перед двоеточием: пишите адрес и «:» слитно"_s},
        {u"A0 : 01"_s, u"строку 1 прошивальщик может прочесть иначе: пробел перед двоеточием: пишите адрес и «:» слитно"_s},
        // A quote of 24 characters whole, a longer one cut.
        {u"ABCDEFGHIJKLMNOPQRSTUVWX"_s, u"строку 1 прошивальщик не прочтёт: «ABCDEFGHIJKLMNOPQRSTUVWX» — не запись «адрес: байты», не смещение и не #pragma"_s},
        {u"ABCDEFGHIJKLMNOPQRSTUVWXY"_s, u"строку 1 прошивальщик не прочтёт: «ABCDEFGHIJKLMNOPQRSTUVW…» — не запись «адрес: байты», не смещение и не #pragma"_s},
        {u"A0: 01\rA1: 02"_s, u"строку 1 прошивальщик может прочесть иначе: символ CR без LF прочитан как конец строки, а прошивальщик может прочесть его иначе"_s},
        // The first placeholder of a field; a blank that is itself at fault, shown.
        {u"A0: 01,XX,YY"_s, u"строку 1 прошивальщик не прочтёт: патч не доделан: вместо новых байтов «XX»"_s},
        {u"A0: \"a\\\tb\""_s, u"строку 1 прошивальщик может прочесть иначе: в тексте «\\⇥» — такой замены нет, прочитано как «⇥»"_s},
    };
    for (const auto &c : cases) {
        const PatchReading reading = readPatchText(c.text);
        ASSERT_EQ(reading.findings.size(), 1u) << c.text.toStdString();
        EXPECT_EQ(findingWords(reading.findings[0], c.text), c.words);
    }
    // A field a backslash joins across a CR alone is quoted on its first line.
    const QString joined = u"A0: 01 0G\\\r02"_s;
    EXPECT_EQ(findingWords(readPatchText(joined).findings.at(0), joined),
              u"строку 1 прошивальщик не прочтёт: «0G\\» — не шестнадцатеричные байты"_s);
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
        // Empty comment lines at the top or the end are no part of it, however many.
        {u";\r\n;\r\n"_s, {}},
        {u";\r\n"_s.repeated(16) + u"A0: 01"_s, {}},
        {u";\r\n"_s.repeated(17) + u"; title\r\nA0: 01"_s, {u"title"_s}},
        {u";\n"_s.repeated(1000) + u"; late title"_s, {u"late title"_s}},
        {u"; a\r\n"_s + u";\r\n"_s.repeated(13) + u"; b"_s, QStringList{u"a"_s} << QStringList(13, QString()) << u"b"_s},
        {u"; a\r\n"_s + u";\r\n"_s.repeated(14) + u"; b"_s, {u"a…"_s}},
        {u"; a\r\n"_s + u";\r\n"_s.repeated(15) + u"; b"_s, {u"a…"_s}},
        {u"; a\r\n;\r\n;\r\nA0: 01"_s, {u"a"_s}},
        // Lines end where an append ends them: at CR LF, LF or a CR alone.
        {u"; one\r; two\r\rA0: 01"_s, {u"one"_s, u"two"_s}},
        {u"; one\r;\r; two\n\r; not this"_s, {u"one"_s, u""_s, u"two"_s}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(patchDescription(c.text), c.lines) << c.text.toStdString();
}

// Russian counts: the noun's form follows the last two digits.
TEST(Words, ChooseTheFormOfANounForACount)
{
    const struct {
        qint64 n;
        const char *words;
    } cases[] = {
        {0, "0 записей"}, {1, "1 записи"}, {2, "2 записей"}, {5, "5 записей"}, {11, "11 записей"}, {12, "12 записей"},
        {14, "14 записей"}, {21, "21 записи"}, {22, "22 записей"}, {101, "101 записи"}, {111, "111 записей"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(plural(c.n, u"записи", u"записей", u"записей"), QString::fromUtf8(c.words));
    const struct {
        qint64 n;
        const char *words;
    } digits[] = {{1, "1 цифра"}, {3, "3 цифры"}, {11, "11 цифр"}, {21, "21 цифра"}, {24, "24 цифры"}, {25, "25 цифр"}};
    for (const auto &c : digits)
        EXPECT_EQ(plural(c.n, u"цифра", u"цифры", u"цифр"), QString::fromUtf8(c.words));
}
