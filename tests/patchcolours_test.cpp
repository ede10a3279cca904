#include "livetext/patchcolours.h"

#include <QApplication>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// Each character's role as a letter, a later part over an earlier one, as
// they are drawn; '.' where a character has none.
QString roles(const QString &text, bool &inComment)
{
    static const char letters[] = "CAONTFPX!?";
    QString said(text.size(), u'.');
    for (const PatchColours::Span &span : PatchColours(QPalette()).line(text, inComment, {})) {
        for (int i = span.from; i < span.from + span.length; ++i)
            said[i] = QLatin1Char(letters[span.role]);
    }
    return said;
}

// Worked out by hand from the format: what a person reads each part as.
TEST(PatchColours, ColoursEachPartOfALineAsTheFormatNamesIt)
{
    const struct {
        QString text;
        bool inComment;
        QString roles;
        bool goesOn = false;
    } rows[] = {
        {u"100: 10 CC ; c"_s, false, u"AAAA.OO.NN.CCC"_s},
        {u"100: 10 \"a;b\"00"_s, false, u"AAAA.OO.TTTTTNN"_s},
        {u"100: CC // c"_s, false, u"AAAA.NN.CCCC"_s},
        {u"  +A0 ; x"_s, false, u"..FFF.CCC"_s},
        {u"100: CC /* a */ DD"_s, false, u"AAAA.OO.CCCCCCC.NN"_s},
        {u"#pragma enable old_equal_ff"_s, false, u"PPPPPPPPPPPPPPPPPPPPPPPPPPP"_s},
        {u"100: XX CC"_s, false, u"AAAA.XX.NN"_s},
        {u"100: 10 nn"_s, false, u"AAAA.OO.XX"_s},
        {u"100: 0i12,0x3"_s, false, u"AAAA.NNNNNNNN"_s},
        {u"/* a */ 100: CC"_s, false, u"CCCCCCC.AAAA.NN"_s},
        {u"100: CC /* a"_s, false, u"AAAA.NN.CCCC"_s, true},
        {u"still */ 100: CC"_s, true, u"CCCCCCCC.AAAA.NN"_s},
        {u"still a comment ; 1: 2"_s, true, u"CCCCCCCCCCCCCCCCCCCCCC"_s, true},
    };
    for (const auto &row : rows) {
        bool inComment = row.inComment;
        EXPECT_EQ(roles(row.text, inComment), row.roles) << row.text.toStdString();
        EXPECT_EQ(inComment, row.goesOn) << row.text.toStdString();
        EXPECT_EQ(PatchColours::commentGoesOn(row.text, row.inComment), row.goesOn) << row.text.toStdString();
    }
}
