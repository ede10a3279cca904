#include "textcheck/textcheck.h"

#include "support/madeup.h"
#include "support/printers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <random>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const char *const markNames[] = {"Unreadable", "Placeholder", "Rewritten", "DoesNotFit", "Outside", "Doubt", "Applied", "Fits", "Unchanged"};

QString marks(const TextCheck &check)
{
    QStringList said;
    for (const MarkedLine &line : check.lines)
        said += u"%1:%2"_s.arg(line.line).arg(QLatin1String(markNames[int(line.mark)]));
    return said.join(u' ');
}

} // namespace

// Marks worked out by hand from the bytes above and the format's note.
TEST(TextCheck, MarksEachLineAsTheFlashWillTakeIt)
{
    BackupImage backup(4096);
    backup.add(0, patternFlash(4096));
    const struct {
        const char *name;
        QString text;
        bool withBackup;
        QString marks;
    } rows[] = {
        {"fits, applied, another firmware", u"100: 10 CC\n200: 0000 5E5E\n104: 99 01"_s, true, u"1:Fits 2:Applied 3:DoesNotFit"_s},
        {"past the end", u"FFF: 0102"_s, true, u"1:Outside"_s},
        {"changes nothing", u"100: 10 10"_s, true, u"1:Unchanged"_s},
        {"a range cleared, then written into", u"100: 1020 0000\n100: 0000 CCDD"_s, true, u"1:Fits 2:Fits"_s},
        {"at odds with a record above", u"100: 1020 0304\n101: 20 05"_s, true, u"1:Fits 2:Rewritten"_s},
        {"at odds, without a backup", u"100: 1020 0304\n101: 20 05"_s, false, u"2:Rewritten"_s},
        {"without a backup, what the text alone says", u"100: 10 CC\nxyz\n0X100: AA\n100: XX"_s, false,
         u"2:Unreadable 3:Doubt 4:Placeholder"_s},
        {"a doubt on a fitting record: the worse", u"0X100: 10 CC"_s, true, u"1:Doubt"_s},
    };
    for (const auto &row : rows) {
        const TextCheck check = checkText(row.text, std::make_shared<PatchReading>(readPatchText(row.text)),
                                          row.withBackup ? &backup : nullptr, u"«full.bin»"_s);
        EXPECT_EQ(marks(check), row.marks) << row.name;
    }

    const auto wordsAt = [&](const QString &text, int line) {
        return lineWords(*checkText(text, std::make_shared<PatchReading>(readPatchText(text)), &backup, u"«full.bin»"_s).checked, line);
    };
    EXPECT_EQ(wordsAt(u"100: 1020 0000\n100: 0000 CCDD"_s, 2),
              u"Записи нет в копии прошивки «full.bin», и она к ней подходит.\nПо адресу 00000100 ждёт 00 00, пишет CC DD;\n"
              u"в копии прошивки там 10 20.\nЭти байты перед ней писала запись в строке 1."_s);
    EXPECT_EQ(wordsAt(u"100: 1020 0304\n101: 20 05"_s, 2).section(u'\n', 0, 0),
              u"Запись в строке 2 ждёт байты, которые запись в строке 1 уже переписала, и прошивальщик её не запишет."_s);
    EXPECT_EQ(wordsAt(u"; nn — номер мелодии\n;01 — первая\n100: 23 nn"_s, 3).section(u"\n\n"_s, 1),
              u"Выше сказано:\nnn — номер мелодии\n01 — первая"_s);
}

// Typed, pasted and deleted at random, with the backup changed under it now
// and then: the marks and the notices are what a check from scratch gives.
TEST(LiveCheck, SaysWhatACheckFromScratchSaysAfterAnyEdit)
{
    const QTemporaryDir dir;
    const QString path = QDir::toNativeSeparators(dir.filePath(u"full.bin"_s));
    QByteArray flash = patternFlash(smallestBackup);
    const auto write = [&](int second) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(flash) == flash.size());
        ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2026, 12, 1), QTime(12, 0, second)), QFileDevice::FileModificationTime));
    };
    write(0);
    Backup backup;
    ASSERT_FALSE(chooseBackup(path, backup));

    const QStringList pieces = {
        u"\r\n;CX70v50\r\n;Часы\r\n100: 10 CC\r\n101: 2030 0405 ; c\r\n"_s, u"\r\n+FFF00000\r\n100200: 5E5E 0102\r\n+0\r\n"_s,
        u"\r\n104: 9091 0000\r\n104: 0000 AABB\r\n"_s, u"\r\n"_s, u"100: 11 22\r\n"_s, u"xyz"_s, u" "_s, u"5"_s, u"XX"_s, u"/*"_s,
    };
    std::mt19937 random(11);
    QString text;
    LiveCheck live;
    for (int step = 0; step < 300; ++step) {
        const qsizetype at = qsizetype(random() % quint32(text.size() + 1));
        if (random() % 3 == 0 && !text.isEmpty())
            text.remove(at, 1 + qsizetype(random() % 8));
        else
            text.insert(at, pieces[int(random() % pieces.size())]);
        if (step % 50 == 49) {
            flash[0x100 + step % 4] = char(step);
            write(step % 60);
        }
        const auto reading = std::make_shared<PatchReading>(readPatchText(text));
        BackupImage image;
        const PatchReading *readings[] = {reading.get()};
        ASSERT_FALSE(readBackupFor(backup, readings, image));
        const TextCheck checked = live.check(text, backup), fromScratch = checkText(text, reading, &image, backupName(backup));
        ASSERT_FALSE(checked.backupFailure) << "step " << step;
        ASSERT_TRUE(checked.lines == fromScratch.lines && checked.notices == fromScratch.notices) << "step " << step;
        for (const MarkedLine &marked : checked.lines)
            ASSERT_EQ(lineWords(*checked.checked, marked.line), lineWords(*fromScratch.checked, marked.line)) << "step " << step;
    }
}
