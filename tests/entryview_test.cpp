#include "entryview.h"
#include "stateicons.h"

#include "support/printers.h"

#include <QTextDocument>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// A tooltip keeps each line as written; only a line longer than a
// description's 100 characters is broken, at its last blank within them.
TEST(EntryView, KeepsATooltipsLinesAsWritten)
{
    const QString y150 = u"y"_s.repeated(150);
    const struct {
        const char *name;
        QString about;
        QString shown; // as plain text, lines joined by \n
    } cases[] = {
        {"short lines", u"a\n<b>b</b>\n\nc"_s, u"a\n<b>b</b>\n\nc"_s},
        {"a blank early on", u"x "_s + y150, u"x\n"_s + y150.first(100) + u"\n"_s + y150.sliced(100)},
        {"no blank", y150, y150.first(100) + u"\n"_s + y150.sliced(100)},
        {"the last blank within 100", u"w "_s.repeated(60), (u"w "_s.repeated(50)).trimmed() + u"\n"_s + (u"w "_s.repeated(10)).trimmed()},
    };
    for (const auto &c : cases) {
        QTextDocument document;
        document.setHtml(entryTooltip(c.about));
        EXPECT_EQ(document.toPlainText(), c.shown) << c.name;
    }
}

// What the backup shows outweighs what a header says; a patch for another
// phone is marked with no backup in use; an entry with no mark keeps room.
TEST(EntryView, MarksWhatCountsMost)
{
    const auto image = [](const QIcon &icon) { return icon.pixmap(16).toImage(); };
    EntryState other;
    other.header.target = PhoneFirmware{u"S65"_s, u"58"_s};
    EntryState fits = other;
    fits.againstBackup = PatchState::NotApplied;
    EntryState empty = other;
    empty.againstBackup = PatchState::NoRecords;
    const EntryState plain;
    EXPECT_EQ(image(entryMark(other, false)), image(otherPhoneIcon()));
    // For another phone, with the backup's verdict: the verdict's mark, with the violet corner.
    const QImage both = image(entryMark(fits, false));
    EXPECT_EQ(both, image(stateIconForAnotherPhone(PatchState::NotApplied)));
    EXPECT_NE(both, image(stateIcon(PatchState::NotApplied)));
    EXPECT_EQ(both.pixelColor(14, 10), QColor(0x6A, 0x1B, 0x9A));
    EXPECT_EQ(both.pixelColor(3, 8), image(stateIcon(PatchState::NotApplied)).pixelColor(3, 8));
    EXPECT_EQ(image(entryMark(empty, false)), image(otherPhoneIcon()));
    EXPECT_EQ(image(entryMark(plain, true)), image(blankIcon()));
    EXPECT_TRUE(entryMark(plain, false).isNull());
    EXPECT_TRUE(hasMark(other) && hasMark(fits) && !hasMark(plain));

    // A patch that writes nothing as it stands says so, whoever it was written for.
    EntryState nothing = empty;
    nothing.writesNothing = true;
    EXPECT_EQ(image(entryMark(nothing, false)), image(writesNothingIcon()));
    nothing.header.target.reset();
    EXPECT_TRUE(hasMark(nothing));
    EXPECT_NE(image(writesNothingIcon()), image(otherPhoneIcon()));
}
