#include "patchformat/description.h"
#include "patchformat/header.h"
#include "patchformat/patchoverlaps.h"

#include "support/printers.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(PatchHeader, NamesAPhoneAndFirmwareOnlyInTheirOwnWriting)
{
    const struct {
        QString line;
        QString named; // phone v firmware, or empty for none
    } cases[] = {
        {u"CX70v50"_s, u"CX70v50"_s},      {u"S65v58"_s, u"S65v58"_s},     {u"SL65v53"_s, u"SL65v53"_s},
        {u"SX1v12"_s, u"SX1v12"_s},        {u"cx70v56"_s, u"cx70v56"_s},   {u" CX75v25 "_s, u"CX75v25"_s},
        {u"CX70 v50"_s, {}},               {u"CX70"_s, {}},                {u"v50"_s, {}},
        {u"Version: 2"_s, {}},             {u"CX70v50 beta"_s, {}},        {u"CX70v"_s, {}},
        {u"ABCDE1v1"_s, {}},               {u"CX7000v50"_s, {}},           {u"CX70v5000"_s, {}},
        {u"Ускорение"_s, {}},                {u"SL45iv56"_s, u"SL45iv56"_s},
    };
    for (const auto &c : cases) {
        const std::optional<PhoneFirmware> named = phoneFirmware(c.line);
        EXPECT_EQ(named ? named->text() : QString(), c.named) << c.line.toStdString();
    }
}

// Headers as the collection writes them, and patches written otherwise.
TEST(PatchHeader, IsThePhoneTheNameAndTheNumberAtTheTop)
{
    const struct {
        const char *name;
        QString text;
        QString target; // empty: none
        QString patchName;
        QString number;
        bool forAnother;
    } cases[] = {
        {"the collection's header",
         u";CX70v50\r\n;Позиционирование главного экрана\r\n;MainScreen positioning\r\n;(c) SiNgle, BuG\r\n;Version: \r\n"
         u";PatchID: 101\r\n;Details: https://example.org/details.php5?id=101\r\n+A0000000\r\n1: 01\r\n+0"_s,
         u"CX70v50"_s, u"Позиционирование главного экрана"_s, u"101"_s, false},
        {"in Latin letters only, for another phone", u";S65v58\r\n;Big clock\r\n;(c) Someone\r\n;PatchID: 2040\r\nA0: 01"_s,
         u"S65v58"_s, u"Big clock"_s, u"2040"_s, true},
        {"for another firmware", u";CX70v56\r\n;Меню\r\nA0: 01"_s, u"CX70v56"_s, u"Меню"_s, {}, true},
        {"a phone line alone", u";CX70v50\r\nA0: 01"_s, u"CX70v50"_s, {}, {}, false},
        {"an empty line before the name", u";CX70v50\r\n;\r\n;  Name  \r\nA0: 01"_s, u"CX70v50"_s, u"Name"_s, {}, false},
        {"// comments", u"// SL65v53\n// Name\n// patchid: 7"_s, u"SL65v53"_s, u"Name"_s, u"7"_s, true},
        {"no phone, comments", u"; Ускоряет меню\r\n; автор: никто\r\nA0: 01"_s, {}, u"Ускоряет меню"_s, {}, false},
        {"a version, no phone", u";Version 2\r\n;x"_s, {}, u"Version 2"_s, {}, false},
        {"no comments", u"A0: 01"_s, {}, {}, {}, false},
        {"this phone in small letters", u";cx70v50\r\n;Меню\r\nA0: 01"_s, u"cx70v50"_s, u"Меню"_s, {}, false},
        {"an empty line inside", u";CX70v50\r\n;Меню\r\n\r\n;PatchID: 12\r\nA0: 01"_s, u"CX70v50"_s, u"Меню"_s, u"12"_s, false},
        {"a byte-order mark, read as Windows-1251", u"\u043F\u00BB\u0457;CX70v56\r\n;Меню\r\nA0: 01"_s, u"CX70v56"_s, u"Меню"_s, {}, true},
        {"a byte-order mark", u"\uFEFF;CX70v50\r\n;Меню"_s, u"CX70v50"_s, u"Меню"_s, {}, false},
    };
    for (const auto &c : cases) {
        const PatchHeader header = patchHeader(patchDescription(c.text));
        EXPECT_EQ(header.target ? header.target->text() : QString(), c.target) << c.name;
        EXPECT_EQ(header.name, c.patchName) << c.name;
        EXPECT_EQ(header.number, c.number) << c.name;
        EXPECT_EQ(header.forAnotherPhone(), c.forAnother) << c.name;
    }
}

// Patches appended one after another, each with its header where it has one.
TEST(PatchHeader, IsFoundWhereEachPatchOfATextBegins)
{
    const QString text = u"\r\n; no header\r\nA0: 01\r\n\r\n"
                         u"\r\n;CX70v50\r\n;Первый\r\n;PatchID: 1\r\nA1: 01\r\n\r\n"
                         u"\r\n;CX70v50\r\n\r\nA2: 01 ; a phone line alone\r\n"
                         u"\r\n;S65v58\r\n;Second\r\nA3: 01\r\n"_s;
    QStringList found;
    for (const HeaderAt &at : headersInText(text))
        found += u"%1 %2 %3"_s.arg(at.line).arg(at.header.target->text(), at.header.name);
    EXPECT_EQ(found, (QStringList{u"6 CX70v50 Первый"_s, u"16 S65v58 Second"_s}));

    // The lines of the patch a line stands in, as a line's menu acts on them;
    // one added a second time for the same phone is a repeat.
    const QString twice = u";CX70v50\r\n;Один\r\nA0: 01\r\n;S65v58\r\n;Один\r\n;CX70v50\r\n;Один\r\nA0: 01"_s;
    const struct {
        QStringView text;
        int line;
        QString lines; // first-last name, repeated
    } at[] = {{text, 3, u"1-5  0"_s}, {text, 9, u"6-15 Первый 0"_s}, {text, 18, u"16-18 Second 0"_s},
              {twice, 3, u"1-3 Один 0"_s}, {twice, 5, u"4-5 Один 0"_s}, {twice, 8, u"6-8 Один 1"_s}};
    for (const auto &row : at) {
        const PatchLines lines = patchLinesAt(row.text, row.line);
        EXPECT_EQ(u"%1-%2 %3 %4"_s.arg(lines.first).arg(lines.last).arg(lines.header ? lines.header->name : QString()).arg(int(lines.repeated)),
                  row.lines)
            << row.line;
    }

    // Lines end at a CR alone too; a header may follow empty comments, and a
    // byte-order mark where a file began.
    const struct {
        const char *name;
        QString text;
        QStringList found;
    } cases[] = {
        {"lone CRs", u";CX70v50\r;Один\rA0: 01\r;CX70v50\r;Два\r"_s, {u"1 Один"_s, u"4 Два"_s}},
        {"after empty comments", u";\r\n;\r\n;CX70v50\r\n;Один\r\n"_s, {u"3 Один"_s}},
        {"a byte-order mark", u"A0: 01\r\n\u043F\u00BB\u0457;CX70v50\r\n;Один\r\n"_s, {u"2 Один"_s}},
    };
    for (const auto &c : cases) {
        QStringList at;
        for (const HeaderAt &h : headersInText(c.text))
            at += u"%1 %2"_s.arg(h.line).arg(h.header.name);
        EXPECT_EQ(at, c.found) << c.name;
    }
}
