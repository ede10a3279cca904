#include "backup/backupcopy.h"
#include "backup/backupedit.h"
#include "backup/backupfile.h"
#include "backup/flashmodel.h"
#include "backup/backupwords.h"
#include "backup/editwords.h"

#include "support/hold.h"
#include "support/madeup.h"
#include "support/ordinaryuser.h"
#include "support/printers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <numeric>
#include <random>
#include <gtest/gtest.h>

#ifndef Q_OS_WIN
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

const char *const stateNames[] = {"NoRecords", "Applied", "NotApplied", "PartlyApplied", "DoesNotFit", "Outside", "Contradictory"};
const char *const recordStateNames[] = {"Applied", "Fits", "Unchanged", "DoesNotFit", "Outside", "Rewritten"};

// The state, and the line of the first record at fault where there is one.
QString verdict(const PatchMatch &match, const PatchReading &reading)
{
    QString text = QLatin1String(stateNames[int(match.state)]);
    if (match.atFault)
        text += u'@' + QString::number(reading.records[*match.atFault].line);
    return text;
}

} // namespace

// Expected states worked out by hand from the bytes written into the backup.
TEST(BackupMatch, TellsAppliedFittingAndForeignPatchesApart)
{
    const QByteArray bytes = patternFlash(4096);
    BackupImage backup(bytes.size());
    backup.add(0, bytes);
    const struct {
        const char *name;
        QString patch;
        QString verdict;
    } cases[] = {
        {"only comments", u"; c"_s, u"NoRecords"_s},
        {"new bytes there", u"100: 10203040"_s, u"Applied"_s},
        {"new bytes there, old given", u"100: 01020304 10203040"_s, u"Applied"_s},
        {"old bytes there", u"100: 10203040 CCDDEEFF"_s, u"NotApplied"_s},
        {"old and new the same", u"100: 10203040 10203040"_s, u"Applied"_s},
        {"unchanged bytes tell nothing", u"100: 10203040 10203040\nF00: BABB CCDD"_s, u"NotApplied"_s},
        {"unchanged bytes tell nothing, applied", u"100: 10203040 10203040\n200: 0000 5E5E"_s, u"Applied"_s},
        {"old bytes longer than new", u"100: 10203040 CC"_s, u"NotApplied"_s},
        {"no old bytes, new not there", u"100: CCDD"_s, u"NotApplied"_s},
        {"placeholders match any byte", u"100: 10XX30?? CCDDEEFF"_s, u"NotApplied"_s},
        {"placeholders in a later record", u"F00: BABB CCDD\n100: 10XX30?? CCDDEEFF"_s, u"NotApplied"_s},
        {"old_equal_ff", u"#pragma enable old_equal_ff\n300: CC\n200: 5E"_s, u"PartlyApplied"_s},
        {"old_equal_ff, no FF there", u"#pragma enable old_equal_ff\n100: CC"_s, u"DoesNotFit@2"_s},
        {"some applied, others fit", u"100: 10203040 CCDDEEFF\n200: 0000 5E5E"_s, u"PartlyApplied"_s},
        {"neither old nor new", u"100: 11203040 CCDDEEFF"_s, u"DoesNotFit@1"_s},
        {"the first at fault", u"200: 0000 5E5E\n100: 99 01\n101: 98 01"_s, u"DoesNotFit@2"_s},
        {"past the end", u"FFF: 0102"_s, u"Outside@1"_s},
        {"up to the end", u"FFE: 8788 0102"_s, u"NotApplied"_s},
        {"old bytes past the end", u"FFF: 8283 01"_s, u"Outside@1"_s},
        {"far past the end", u"100: 10203040 CCDDEEFF\nA0000000: 01"_s, u"Outside@2"_s},
        {"not fitting counts before past the end", u"A0000000: 01\n100: 99 01"_s, u"DoesNotFit@2"_s},
        // Runs of every length compared whole: at 400 stand B0 B1 … BC 80 81 82 83.
        {"3 bytes, the last differs", u"400: B0B1FF CCCCCC"_s, u"DoesNotFit@1"_s},
        {"7 bytes, the last differs", u"400: B0B1B2B3B4B5FF CCCCCCCCCCCCCC"_s, u"DoesNotFit@1"_s},
        {"12 bytes, the first differs", u"400: FFB1B2B3B4B5B6B7B8B9BABB "_s + u"CC"_s.repeated(12), u"DoesNotFit@1"_s},
        {"12 bytes, the last differs", u"400: B0B1B2B3B4B5B6B7B8B9BAFF "_s + u"CC"_s.repeated(12), u"DoesNotFit@1"_s},
        {"17 bytes, the last differs", u"400: B0B1B2B3B4B5B6B7B8B9BABBBC808182FF "_s + u"CC"_s.repeated(17), u"DoesNotFit@1"_s},
        {"17 bytes there", u"400: B0B1B2B3B4B5B6B7B8B9BABBBC80818283 "_s + u"CC"_s.repeated(17), u"NotApplied"_s},
        {"5 bytes applied, the middle differs", u"400: CCCCCCCCCC B0B1FFB3B4"_s, u"DoesNotFit@1"_s},
        {"5 bytes applied", u"400: CCCCCCCCCC B0B1B2B3B4"_s, u"Applied"_s},
        // Records that meet: the text finds what the first expects and leaves what the last writes.
        {"a range cleared, then written into", u"100: 10203040 00000000\n100: 00000000 CCDDEEFF"_s, u"NotApplied"_s},
        {"cleared, then written into, on the phone", u"100: AABBCCDD 00000000\n100: 00000000 10203040"_s, u"Applied"_s},
        {"a later record over part of an earlier one", u"100: 10203040 CCDDEEFF\n102: EEFF 1122"_s, u"NotApplied"_s},
        {"the same record twice", u"100: 10 CC\n100: 10 CC"_s, u"NotApplied"_s},
        {"expecting what an earlier one rewrote", u"100: 1020 0304\n101: 20 05"_s, u"Contradictory@2"_s},
        {"at odds before not fitting", u"100: 99 01\n100: 99 02"_s, u"Contradictory@2"_s},
        {"a placeholder where records meet", u"100: 10XX 0000\n100: 0000 CCDD"_s, u"NotApplied"_s},
    };
    for (const auto &c : cases) {
        const PatchReading reading = readPatchText(c.patch);
        EXPECT_EQ(verdict(matchPatch(reading, backup), reading), c.verdict) << c.name;
    }

    // Each record on its own.
    const struct {
        const char *name;
        QString patch;
        QString states;
    } records[] = {
        {"old and new the same, both there", u"100: 10203040 10203040"_s, u"Unchanged"_s},
        {"old and new the same, neither there", u"100: 99 99"_s, u"DoesNotFit"_s},
        {"new there", u"200: 0000 5E5E\n200: 5E5E"_s, u"Applied Applied"_s},
        {"old there, or none given", u"100: 10 CC\n101: CC"_s, u"Fits Fits"_s},
        {"old bytes past the end", u"FFF: 8283 01\nFFF: 01"_s, u"Outside Fits"_s},
        {"chained", u"100: 1020 0000\n100: 0000 CCDD"_s, u"Fits Fits"_s},
        {"a byte written back", u"100: 10 03\n100: 03 10"_s, u"Unchanged Unchanged"_s},
        {"at odds", u"100: 1020 0304\n101: 20 05"_s, u"Fits Rewritten"_s},
    };
    for (const auto &c : records) {
        const PatchReading reading = readPatchText(c.patch);
        QStringList states;
        for (const RecordState state : matchPatch(reading, backup).records)
            states += QLatin1String(recordStateNames[int(state)]);
        EXPECT_EQ(states.join(u' '), c.states) << c.name;
    }
}

// Read in pieces, the backup tells what it tells whole, whatever the order of
// the records; where nothing was read, nothing is there.
TEST(BackupMatch, FindsEachRecordInThePieceThatHoldsIt)
{
    const QByteArray bytes = patternFlash(0x20000);
    const PatchReading reading = readPatchText(u"10000: 01020304\n100: 10203040 CC\n10002: 9192 01\n200: 0000 5E5E\n1FFFF: 01"_s);
    BackupImage whole(bytes.size());
    whole.add(0, bytes);
    BackupImage pieces(bytes.size());
    const PatchReading *readings[] = {&reading};
    for (const FileRange &range : rangesToRead(readings, bytes.size()))
        pieces.add(range.at, bytes.mid(range.at, range.length));
    EXPECT_EQ(matchPatch(reading, pieces).records, matchPatch(reading, whole).records);
    const BackupImage nothingRead(bytes.size());
    EXPECT_TRUE(nothingRead.bytes(0x100, 1).isEmpty());
    EXPECT_TRUE(pieces.bytes(0x5000, 1).isEmpty());
}

// Records up to 4 KiB apart are read in one piece; those past the end not at all.
TEST(BackupMatch, ReadsWhatItComparesAndNoMore)
{
    const struct {
        const char *name;
        QStringList patches;
        QList<QList<qint64>> ranges; // at, length
    } cases[] = {
        {"near, out of order, past the end", {u"100: 0102\n2000: 01 02\n104: 03\nF00000: 01"_s, u"10000: 01020304\n1000: 01\n40000000: 01"_s},
         {{0x100, 0x1F01}, {0x10000, 4}}},
        {"exactly 4 KiB apart", {u"100: 01\n1101: 02"_s}, {{0x100, 0x1002}}},
        {"a byte more than 4 KiB apart", {u"100: 01\n1102: 02"_s}, {{0x100, 1}, {0x1102, 1}}},
        {"inside the one before", {u"100: 0102030405060708\n102: 01"_s}, {{0x100, 8}}},
        {"inside the one before, out of order", {u"200: 01\n100: 0102030405060708\n102: 01"_s}, {{0x100, 0x101}}},
        {"old bytes longer than new", {u"100: 010203 01"_s}, {{0x100, 3}}},
        {"old bytes past the end", {u"FFFFF: 0102 01\nFFFFE: 01"_s}, {{0xFFFFE, 1}}},
    };
    for (const auto &c : cases) {
        std::vector<PatchReading> read;
        for (const QString &patch : c.patches)
            read.push_back(readPatchText(patch));
        std::vector<const PatchReading *> readings;
        for (const PatchReading &reading : read)
            readings.push_back(&reading);
        QList<QList<qint64>> ranges;
        for (const FileRange &range : rangesToRead(readings, 0x100000))
            ranges.append({range.at, range.length});
        EXPECT_EQ(ranges, c.ranges) << c.name;
    }
}

TEST(BackupWords, SayWhatIsWhereAndWhatToDo)
{
    const QByteArray bytes = patternFlash(2 * 1024 * 1024);
    BackupImage backup(bytes.size());
    backup.add(0, bytes);
    const auto words = [&](const QString &patch) {
        const PatchReading reading = readPatchText(patch);
        const PatchMatch match = matchPatch(reading, backup);
        QStringList all{patchStateWords(reading, match, backup, u"«full.bin»"_s)};
        // An item that only informs is "line: text"; one that warns, "line!: text".
        for (const WarningItem &item : backupWarnings(reading, match, backup, u"«full.bin»"_s))
            all += u"%1%2: %3"_s.arg(item.line).arg(item.onlyInforms ? u""_s : u"!"_s, item.text);
        return all;
    };
    EXPECT_EQ(words(u"; c\n100: 1020XX40 CCDDEEFF"_s),
              (QStringList{u"Патча нет в копии прошивки «full.bin»,\nи он к ней подходит."_s}));
    EXPECT_EQ(words(u"200: 0000 5E5E\n201: 00 5E\n100: 01020304050607080910 CC\n300: FFFF 0102"_s),
              (QStringList{u"Патч не для этой прошивки: не прошивайте его.\nВ строке 3 по адресу 00000100 он ждёт "
                           u"01 02 03 04 05 06 07 08 …,\nа в копии прошивки «full.bin» там 10 20 30 40 90 91 92 93 …."_s,
                           u"1: записи в строках 1–2 уже есть в копии прошивки «full.bin»: этот патч уже на телефоне"_s,
                           u"3!: запись в строке 3 не подходит к копии прошивки «full.bin»: по адресу 00000100 патч ждёт "
                           u"01 02 03 04 05 06 07 08 …, а там 10 20 30 40 90 91 92 93 …, — патч написан для другой прошивки"_s}));
    EXPECT_EQ(words(u"100: 99 01\n101: 98 01"_s).back(),
              u"1!: записи в строках 1–2 не подходят к копии прошивки «full.bin»: по адресу 00000100 патч ждёт 99, "
              u"а там 10, — патч написан для другой прошивки"_s);
    EXPECT_EQ(words(u"100: 10203040 CC\n200: 5E5E"_s),
              (QStringList{u"Патч есть в копии прошивки «full.bin» лишь отчасти:\nзаписано 1 из 2 записей, остальные к ней подходят."_s,
                           u"2: запись в строке 2 уже есть в копии прошивки «full.bin»: этот патч уже на телефоне"_s}));
    EXPECT_EQ(words(u"200: 0000 5E5E\n201: 00 5E\n100: 10203040 CC"_s).front(),
              u"Патч есть в копии прошивки «full.bin» лишь отчасти:\nзаписано 2 из 3 записей, остальные к ней подходят."_s);
    // Eight bytes whole; placeholders as the patch writes them.
    EXPECT_EQ(words(u"100: 0102030405060708 CC"_s).front(),
              u"Патч не для этой прошивки: не прошивайте его.\nВ строке 1 по адресу 00000100 он ждёт "
              u"01 02 03 04 05 06 07 08,\nа в копии прошивки «full.bin» там 10 20 30 40 90 91 92 93."_s);
    EXPECT_EQ(words(u"100: 99XX CC"_s).front(),
              u"Патч не для этой прошивки: не прошивайте его.\nВ строке 1 по адресу 00000100 он ждёт 99 ??,\n"
              u"а в копии прошивки «full.bin» там 10 20."_s);
    EXPECT_EQ(words(u"100: 99XX CC"_s).back(),
              u"1!: запись в строке 1 не подходит к копии прошивки «full.bin»: по адресу 00000100 патч ждёт 99 ??, "
              u"а там 10 20, — патч написан для другой прошивки"_s);
    // Unchanged bytes tell nothing either way, and are not said.
    EXPECT_EQ(words(u"100: 10203040 10203040\n101: 20 CC"_s),
              QStringList{u"Патча нет в копии прошивки «full.bin»,\nи он к ней подходит."_s});
    // Records that meet: a patch that changes nothing, one at odds with itself.
    EXPECT_EQ(words(u"100: 10 03\n100: 03 10"_s),
              QStringList{u"Патч ничего не меняет в копии прошивки «full.bin»:\nего записи оставляют байты такими, какими их нашли."_s});
    EXPECT_EQ(words(u"100: 1020 0304\n101: 20 05"_s),
              QStringList{u"Записи патча не согласны друг с другом: не прошивайте его.\nЗапись в строке 2 ждёт байты, которые "
                          u"запись в строке 1 уже переписала,\nа прошивальщик читает записи сверху вниз и эту не запишет."_s});
    EXPECT_EQ(words(u"+A0000000\n123456: 01\n123457: 01"_s),
              (QStringList{u"Патч пишет за концом копии прошивки «full.bin» (2 МиБ):\nстрока 2, адрес A0123456. "
                           u"Видимо, он для другого телефона."_s,
                           u"2!: записи в строках 2–3 пишут по адресу A0123456 и дальше, за концом копии прошивки «full.bin» (2 МиБ)"_s}));
}

// What the user may pick as a backup, and what may become of it while in use.
TEST(BackupFile, RefusesWhatIsNoFullFlashAndNoticesWhatChanges)
{
    const QTemporaryDir dir;
    const auto path = [&](const char *name) { return QDir::toNativeSeparators(dir.filePath(QLatin1String(name))); };
    const auto write = [&](const char *name, const QByteArray &bytes) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    };
    write("empty.bin", {});
    write("small.bin", QByteArray(smallestBackup - 1, 'x'));
    write("full.bin", patternFlash(smallestBackup));
    QDir(dir.path()).mkdir(u"folder.bin"_s);

    const struct {
        const char *name;
        const char *reason;
    } refused[] = {
        {"gone.bin", "файл не найден"},
        {"folder.bin", "это папка, а не файл"},
        {"empty.bin", "файл пуст"},
        {"small.bin", "в файле 1048575 Б, а полная копия прошивки занимает десятки МиБ: "
                      "выберите файл, который прошивальщик записал при чтении всей памяти телефона"},
    };
    for (const auto &r : refused) {
        Backup backup;
        const Status failure = chooseBackup(path(r.name), backup);
        ASSERT_TRUE(failure) << r.name;
        EXPECT_EQ(failure->summary, u"Не удалось сверить патчи с копией прошивки."_s);
        EXPECT_EQ(failure->file, path(r.name));
        EXPECT_EQ(failure->reason, QString::fromUtf8(r.reason));
    }

    Backup backup;
    ASSERT_FALSE(chooseBackup(path("full.bin"), backup));
    const PatchReading reading = readPatchText(u"100: 10203040 CC\nFFFFF: 01"_s);
    const PatchReading *readings[] = {&reading};
    BackupImage image;
    ASSERT_FALSE(readBackupFor(backup, readings, image));
    EXPECT_EQ(matchPatch(reading, image).state, PatchState::NotApplied);

    // Changed in place: read as it now is. Cut short, or gone: said, and no longer used.
    QFile file(path("full.bin"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.seek(0x100) && file.write("\xCC") == 1);
    file.close();
    ASSERT_FALSE(readBackupFor(backup, readings, image));
    EXPECT_EQ(matchPatch(reading, image).state, PatchState::PartlyApplied);
    // Old bytes past its end: that record lies outside, the check goes on.
    const PatchReading pastEnd = readPatchText(u"100: 10203040 CC\nFFFFF: CCDD 01"_s);
    const PatchReading *pastEndReadings[] = {&pastEnd};
    ASSERT_FALSE(readBackupFor(backup, pastEndReadings, image));
    EXPECT_EQ(matchPatch(pastEnd, image).state, PatchState::Outside);
    const struct {
        const char *name;
        qint64 size;
        const char *reason;
    } changed[] = {
        {"grown", smallestBackup + 16, "файл изменился: в нём было 1048576 Б, а теперь 1048592 Б"},
        {"cut short", smallestBackup - 16, "файл изменился: в нём было 1048576 Б, а теперь 1048560 Б"},
    };
    Status failure;
    for (const auto &c : changed) {
        ASSERT_TRUE(QFile::resize(path("full.bin"), c.size));
        failure = readBackupFor(backup, readings, image);
        ASSERT_TRUE(failure) << c.name;
        EXPECT_EQ(failure->summary, u"Копия прошивки больше не читается, и сверка с ней выключена."_s);
        EXPECT_EQ(failure->reason, QString::fromUtf8(c.reason));
    }
    ASSERT_TRUE(QFile::remove(path("full.bin")));
    failure = readBackupFor(backup, readings, image);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->reason, u"файл не найден"_s);
}

TEST(BackupFile, SaysWhenAnotherProgramHoldsItOrItMayNotBeRead)
{
    const QTemporaryDir dir;
    const QString path = QDir::toNativeSeparators(dir.filePath(u"full.bin"_s));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(patternFlash(smallestBackup)) == smallestBackup);
    file.close();
    Backup backup;
#ifdef Q_OS_WIN
    const ExclusiveHold hold(path);
    ASSERT_TRUE(hold.held());
    const char *reason = "файл открыт в другой программе (например, в V_klay): закройте его там и повторите";
#else
    // Root reads any file, whatever its mode: so the test reads as nobody,
    // who may pass through the folder.
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0), 0);
    const char *reason = "нет прав доступа (Доступ запрещён)";
    const OrdinaryUser user;
    ASSERT_FALSE(user.failed()) << "running as root without the right to change user (CAP_SETUID)";
#endif
    const Status failure = chooseBackup(path, backup);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->reason, QString::fromUtf8(reason));
}

namespace {

const char *const outcomeNames[] = {"Done", "NoRecords", "NothingOnPhone", "AllHaveOldBytes", "Refused"};
const char *const faultNames[] = {"NoOldBytes", "PlaceholderInOld", "UndoOff", "AlreadyWritten", "Rewritten", "DoesNotFit", "Outside", "Unreadable", "NotGivenBack"};

QString faultList(const std::vector<RecordFault> &faults)
{
    QStringList said;
    for (const RecordFault &f : faults)
        said += u"%1@%2"_s.arg(QLatin1String(faultNames[int(f.fault)])).arg(f.line);
    return said.join(u' ');
}

// An edit in short: its outcome, then its text or its faults.
QString editSummary(const PatchEdit &edit)
{
    QString text = QLatin1String(outcomeNames[int(edit.outcome)]);
    if (!edit.text.isEmpty())
        text += u": "_s + edit.text;
    if (!edit.faults.empty())
        text += u": "_s + faultList(edit.faults);
    return text;
}

BackupImage wholeImage(const QByteArray &bytes)
{
    BackupImage image(bytes.size());
    image.add(0, bytes);
    return image;
}

} // namespace

// The text that takes a patch off, written by hand from the format: each
// record's fields swapped, every other line where it stood; with a backup,
// only what it holds. madeUpBackup holds 10 20 30 40 at 100, 5E 5E at 200,
// FF FF at 300 and 80 | (i % 61) elsewhere: 90 91 at 104.
TEST(BackupEdit, TakesAPatchOffRecordByRecord)
{
    const QByteArray bytes = patternFlash(4096);
    const BackupImage backup = wholeImage(bytes);
    const struct {
        const char *name;
        QString patch;
        bool withBackup;
        QString edit;
    } rows[] = {
        {"a header, an offset, a comment", u";CX70v50\r\n;Часы\r\n+A0000000\r\n123456: 0102 AABB ; c\r\n+0\r\n"_s, false,
         u"Done: \r\n;CX70v50\r\n;Снимает с телефона патч «p»\r\n;Часы\r\n+A0000000\r\n123456: AABB 0102 ; c\r\n+0\r\n"_s},
        {"no header: the title first", u"; c\r\n  A0: 01 02"_s, false, u"Done: \r\n;Снимает с телефона патч «p»\r\n; c\r\n  A0: 02 01\r\n"_s},
        {"a byte-order mark before the header, as the tool reads it", u"\u043F\u00BB\u0457;CX70v50\r\n;Часы\r\nA0: 01 02"_s, false,
         u"Done: \r\n\u043F\u00BB\u0457;CX70v50\r\n;Снимает с телефона патч «p»\r\n;Часы\r\nA0: 02 01\r\n"_s},
        {"old_equal_ff: FF written back", u"#pragma enable old_equal_ff\r\nA0: 0102\r\n#pragma disable old_equal_ff\r\n"_s, false,
         u"Done: \r\n;Снимает с телефона патч «p»\r\n#pragma enable old_equal_ff\r\nA0: 0102 FFFF\r\n#pragma disable old_equal_ff\r\n"_s},
        {"what is left on is ended", u"+10\r\n#pragma enable old_equal_ff\r\n#pragma disable warn_no_old_on_apply\r\nA0: 01 02"_s, false,
         u"Done: \r\n;Снимает с телефона патч «p»\r\n+10\r\n#pragma enable old_equal_ff\r\n#pragma disable warn_no_old_on_apply\r\n"
         u"A0: 02 01\r\n+0\r\n#pragma disable old_equal_ff\r\n#pragma enable warn_no_old_on_apply\r\n"_s},
        {"old bytes longer than new: what was written", u"A0: 010203 AA"_s, false, u"Done: \r\n;Снимает с телефона патч «p»\r\nA0: AA 01\r\n"_s},
        {"placeholders past what was written", u"A0: 01XX 02"_s, false, u"Done: \r\n;Снимает с телефона патч «p»\r\nA0: 02 01\r\n"_s},
        {"numbers and texts in hex", u"A0: 0x123456 \"ab\",0i1 ;c"_s, false,
         u"Done: \r\n;Снимает с телефона патч «p»\r\nA0: 616201 563412 ;c\r\n"_s},
        {"a joined line", u"A0: 01\\\r\n02 0304\r\nA2: 05 06"_s, false,
         u"Done: \r\n;Снимает с телефона патч «p»\r\nA0: 0304 0102\r\nA2: 06 05\r\n"_s},
        {"no records", u"; c\r\n"_s, false, u"NoRecords"_s},
        {"no old bytes", u"A0: 01\r\nA1: 01 02\r\nA2: 03"_s, false, u"Refused: NoOldBytes@1 NoOldBytes@3"_s},
        {"placeholders in what is written back", u"A0: XX01 0203\r\nA2: 01?? 02"_s, false, u"Refused: PlaceholderInOld@1"_s},
        {"undo off", u"#pragma disable undo\r\nA0: 01 02\r\n#pragma enable undo\r\nA1: 01 02"_s, false, u"Refused: UndoOff@2"_s},
        {"each record at fault once, in its line's order", u"#pragma disable undo\r\nA0: 01\r\nA1: XX 02\r\nA2: 01 02"_s, false,
         u"Refused: NoOldBytes@2 PlaceholderInOld@3 UndoOff@4"_s},
        // Against the backup: only what it holds.
        {"applied records only", u"100: CCDDEEFF 10203040\r\n104: 9091 0102 ; fits\r\n"_s, true,
         u"Done: \r\n;Снимает с телефона патч «p»\r\n100: 10203040 CCDDEEFF\r\n ; fits\r\n"_s},
        {"nothing on the phone", u"104: 9091 0102"_s, true, u"NothingOnPhone"_s},
        {"no old bytes where it is not on the phone", u"100: CCDDEEFF 10203040\r\n104: 0102"_s, true,
         u"Done: \r\n;Снимает с телефона патч «p»\r\n100: 10203040 CCDDEEFF\r\n"_s},
        {"no old bytes where it is on the phone", u"200: 5E5E"_s, true, u"Refused: NoOldBytes@1"_s},
        {"unchanged bytes taken off as they stand", u"100: 10203040 10203040"_s, true,
         u"Done: \r\n;Снимает с телефона патч «p»\r\n100: 10203040 10203040\r\n"_s},
        {"not for this firmware", u"200: 0000 5E5E\r\n100: 99 01"_s, true, u"Refused: DoesNotFit@2"_s},
        {"past the end", u"200: 0000 5E5E\r\nFFF: 0102 0304"_s, true, u"Refused: Outside@2"_s},
        // Records that share bytes: undone last first, at the addresses they wrote.
        {"a range cleared, then written into", u";CX70v50\r\n;Часы\r\n+A0\r\n60: 1020 0000 ; c\r\n60: 0000 CCDD\r\n"_s, false,
         u"Done: \r\n;CX70v50\r\n;Снимает с телефона патч «p»\r\n;Часы\r\n+A0\r\n ; c\r\n\r\n+0\r\n"
         u";Его записи пишут в одни и те же байты и снимаются с последней:\r\n00000100: CCDD 0000\r\n00000100: 0000 1020\r\n"_s},
        {"a byte written back", u"100: 10 03\r\n100: 03 10"_s, true,
         u"Done: \r\n;Снимает с телефона патч «p»\r\n\r\n;Его записи пишут в одни и те же байты и снимаются с последней:\r\n"
         u"00000100: 10 03\r\n00000100: 03 10\r\n"_s},
        {"at odds with itself", u"100: 1020 0304\r\n101: 20 05"_s, false, u"Refused: Rewritten@2"_s},
        {"apart, out of the order of their addresses: where they stand", u"A4: 01 02\r\nA0: 03 04"_s, false,
         u"Done: \r\n;Снимает с телефона патч «p»\r\nA4: 02 01\r\nA0: 04 03\r\n"_s},
    };
    for (const auto &row : rows) {
        const PatchReading reading = readPatchText(row.patch);
        EXPECT_EQ(editSummary(takeOffText(row.patch, reading, row.withBackup ? &backup : nullptr, u"p")).toStdString(), row.edit.toStdString()) << row.name;
    }
    // A name in quotes of its own, as Russian nests them.
    EXPECT_EQ(editSummary(takeOffText(u"A0: 01 02"_s, readPatchText(u"A0: 01 02"_s), nullptr, u"Убрать «Подождите»"_s)),
              u"Done: \r\n;Снимает с телефона патч «Убрать „Подождите“»\r\nA0: 02 01\r\n"_s);
}

// The old bytes a record lacks, from the backup; the rest as it stands.
TEST(BackupEdit, FillsInTheOldBytesTheBackupHolds)
{
    const QByteArray bytes = patternFlash(4096);
    const BackupImage backup = wholeImage(bytes);
    const struct {
        const char *name;
        QString patch;
        QString edit;
    } rows[] = {
        {"filled, offsets and comments kept", u"; c\r\n100: CCDD\r\n104: 9091 0102 ; keep\r\n+A0\r\n  60:EE ; x\r\n+0"_s,
         u"Done: \r\n; c\r\n100: 1020 CCDD\r\n104: 9091 0102 ; keep\r\n+A0\r\n  60:CC EE ; x\r\n+0\r\n"_s},
        {"a line that cannot be read stays", u"100: CC\r\nxyz\r\n"_s, u"Done: \r\n100: 10 CC\r\nxyz\r\n"_s},
        {"old_equal_ff stands for old bytes", u"#pragma enable old_equal_ff\r\n300: CC\r\n#pragma disable old_equal_ff\r\n104: CC"_s,
         u"Done: \r\n#pragma enable old_equal_ff\r\n300: CC\r\n#pragma disable old_equal_ff\r\n104: 90 CC\r\n"_s},
        {"all have old bytes", u"104: 9091 0102"_s, u"AllHaveOldBytes: \r\n104: 9091 0102\r\n"_s},
        {"no records", u"; c"_s, u"NoRecords"_s},
        {"past the end", u"100: CC\r\nFFF: 0102"_s, u"Refused: Outside@2"_s},
        {"new bytes already there", u"100: CC\r\n200: 5E5E\r\n201: 5E"_s, u"Refused: AlreadyWritten@2 AlreadyWritten@3"_s},
        {"not for this firmware", u"100: 99 01\r\n104: CC"_s, u"Refused: DoesNotFit@1"_s},
        {"at odds with itself", u"100: 1020 0304\r\n101: 20 05\r\n104: CC"_s, u"Refused: Rewritten@2"_s},
        // What a take-off could not write back, in the take-off's words.
        {"placeholders in what would be written back", u"100: 10XX \"ab\" ; c\r\n104: 9091?? 01\r\n"_s,
         u"Done: \r\n100: 1020 6162 ; c\r\n104: 9091?? 01\r\n"_s},
    };
    for (const auto &row : rows) {
        const PatchReading reading = readPatchText(row.patch);
        EXPECT_EQ(editSummary(fillOldBytes(row.patch, reading, backup)), row.edit) << row.name;
    }
    // One record asked for, from its line's menu: only it is filled and only
    // it must fit; the flash it finds is as the records above left it.
    const struct {
        const char *name;
        QString patch;
        int line;
        QString edit;
    } one[] = {
        {"that record alone", u"100: CC\r\n104: XX CC"_s, 2, u"Done: \r\n100: CC\r\n104: 90 CC\r\n"_s},
        {"another one's fault is not its own", u"100: 99 01\r\n104: CC"_s, 2, u"Done: \r\n100: 99 01\r\n104: 90 CC\r\n"_s},
        {"what the records above leave", u"100: 1020 0304\r\n100: CCDD"_s, 2, u"Done: \r\n100: 1020 0304\r\n100: 0304 CCDD\r\n"_s},
        {"its own fault", u"200: 5E5E\r\n104: CC"_s, 1, u"Refused: AlreadyWritten@1"_s},
    };
    for (const auto &row : one) {
        const PatchReading reading = readPatchText(row.patch);
        EXPECT_EQ(editSummary(fillOldBytes(row.patch, reading, backup, row.line)), row.edit) << row.name;
    }

    // Made checkable, it is handed over with its old bytes and fits.
    const QString patch = u"100: CCDD\r\n+A0\r\n64: EE\r\n+0"_s;
    const PatchReading reading = readPatchText(patch);
    const PatchEdit filled = fillOldBytes(patch, reading, backup);
    const PatchReading checkable = readPatchText(filled.text);
    ASSERT_EQ(checkable.records.size(), 2u);
    EXPECT_EQ(checkable.oldBytes(checkable.records[1]).toByteArray(), QByteArray("\x90"));
    const PatchMatch match = matchPatch(checkable, backup);
    EXPECT_EQ(match.state, PatchState::NotApplied);
    EXPECT_TRUE(backupWarnings(checkable, match, backup, u"«full.bin»"_s).empty());
}

// As the tool writes: offsets, 32-bit addresses, the later record winning;
// nothing where it would not write the text as it stands.
TEST(BackupEdit, WritesATextIntoTheBackupAsTheToolDoes)
{
    const QByteArray bytes = patternFlash(4096);
    const struct {
        const char *name;
        QString text;
        QList<QPair<int, QByteArray>> written; // where, what
        QString faults;
    } rows[] = {
        {"an offset that wraps", u"+FFFFFF00\r\n200: 0102\r\n+0\r\n300: FFFF AABB"_s,
         {{0x100, QByteArray::fromHex("0102")}, {0x300, QByteArray::fromHex("AABB")}}, u""_s},
        {"the later record wins", u"100: AA\r\n100: AA20 BBCC\r\n"_s, {{0x100, QByteArray::fromHex("BBCC")}}, u""_s},
        {"a later record expecting what an earlier one rewrote", u"100: AA\r\n100: 1020 BBCC\r\n"_s, {}, u"Rewritten@2"_s},
        {"a range cleared, then written into", u"100: 10203040 00000000\r\n100: 00000000 CCDDEEFF"_s,
         {{0x100, QByteArray::fromHex("CCDDEEFF")}}, u""_s},
        {"a patch taken off, then another variant of its bytes", u"200: 5E5E 0000\r\n200: 0000 7777"_s,
         {{0x200, QByteArray::fromHex("7777")}}, u""_s},
        {"old_equal_ff", u"#pragma enable old_equal_ff\r\n300: 0102\r\n#pragma disable old_equal_ff"_s,
         {{0x300, QByteArray::fromHex("0102")}}, u""_s},
        {"applied already", u"200: 5E5E"_s, {}, u""_s},
        {"up to the end", u"FFE: 0102"_s, {{0xFFE, QByteArray::fromHex("0102")}}, u""_s},
        {"does not fit", u"100: AA\r\n104: 99 CC\r\n105: 91 CC"_s, {}, u"DoesNotFit@2"_s},
        {"past the end", u"FFF: 0102"_s, {}, u"Outside@1"_s},
        {"lines the tool cannot read, in their order", u"100: AA\r\n200: 99 CC\r\nxyz\r\n101: XX ; twice: 0Z\r\n"_s, {},
         u"DoesNotFit@2 Unreadable@3 Unreadable@4"_s},
        {"a doubt", u"0X100: AA"_s, {}, u"Unreadable@1"_s},
    };
    for (const auto &row : rows) {
        QByteArray flash = bytes;
        const std::vector<RecordFault> faults = writeRecords(readPatchText(row.text), flash);
        EXPECT_EQ(faultList(faults), row.faults) << row.name;
        QByteArray expected = bytes;
        for (const auto &[at, written] : row.written)
            expected.replace(at, written.size(), written);
        EXPECT_TRUE(flash == expected) << row.name;
    }
}

// Taken off and put on again, a patch gives back the backup byte for byte:
// the backup before it was put on is the expected value.
TEST(BackupEdit, TakenOffAndPutOnAgainGivesBackTheBackup)
{
    const QByteArray before = patternFlash(4096);
    const struct {
        const char *name;
        QString patch;
    } rows[] = {
        {"offsets that wrap, comments", u";CX70v50\r\n;Часы\r\n+FFFFF000\r\n1100: 10203040 01020304 ; c\r\n-10\r\n210: 5E5E 0000\r\n+0"_s},
        {"old_equal_ff left on", u"#pragma enable old_equal_ff\r\n300: AABB\r\n"_s},
        {"old bytes longer than new, a joined line", u"104: 909192 01\r\n108: 94\\\r\n95 CCDD\r\n"_s},
        {"texts and numbers", u"104: 0x93929190 \"abcd\"\r\n"_s},
    };
    for (const auto &row : rows) {
        const PatchReading reading = readPatchText(row.patch);
        QByteArray on = before;
        ASSERT_TRUE(writeRecords(reading, on).empty()) << row.name;
        ASSERT_FALSE(on == before) << row.name;
        const BackupImage onImage = wholeImage(on);
        const PatchEdit off = takeOffText(row.patch, reading, &onImage, u"p");
        ASSERT_EQ(off.outcome, EditOutcome::Done) << row.name;
        QByteArray taken = on;
        EXPECT_TRUE(writeRecords(readPatchText(off.text), taken).empty()) << row.name;
        EXPECT_TRUE(taken == before) << row.name;
        EXPECT_TRUE(writeRecords(reading, taken).empty()) << row.name;
        EXPECT_TRUE(taken == on) << row.name;
    }
}

namespace {

// A made-up collection: patches of five records each, apart from one
// another, in the forms real patches take (an offset that wraps, old_equal_ff
// over FF, old bytes longer than new), each record's old bytes as `backup`
// holds them; and the backup with every new byte written.
struct MadeUpCollection {
    std::vector<QString> patches;
    QByteArray before, after;
};

MadeUpCollection madeUpCollection(int count, qsizetype size)
{
    std::mt19937 random(20240611);
    const auto byte = [&] { return char(random() % 256); };
    MadeUpCollection made;
    made.before = QByteArray(size, Qt::Uninitialized);
    for (char &b : made.before)
        b = byte();
    std::vector<qsizetype> places(std::size_t(size / 16));
    std::iota(places.begin(), places.end(), 0);
    std::shuffle(places.begin(), places.end(), random);
    const auto hex = [](QByteArrayView bytes) { return QString::fromLatin1(bytes.toByteArray().toHex().toUpper()); };
    made.after = made.before;
    std::size_t place = 0;
    for (int p = 0; p < count; ++p) {
        const int form = p % 4;
        QString text = u";CX70v50\r\n;Придуманный патч %1\r\n"_s.arg(p);
        text += form == 1 ? u"+FFF00000\r\n"_s : form == 2 ? u"#pragma enable old_equal_ff\r\n"_s : QString();
        for (int r = 0; r < 5; ++r) {
            const qsizetype at = places[place++] * 16;
            const qsizetype length = 1 + qsizetype(random() % 8);
            if (form == 2)
                made.before.replace(at, length, QByteArray(length, '\xFF'));
            QByteArray written(length, Qt::Uninitialized);
            for (qsizetype i = 0; i < length; ++i)
                written[i] = char(made.before[at + i] ^ (1 + random() % 255));
            made.after.replace(at, length, written);
            const QString address = QString::number(form == 1 ? at + 0x100000 : at, 16).toUpper();
            const QByteArray old = made.before.mid(at, form == 3 ? length + 2 : length);
            text += form == 2 ? u"%1: %2\r\n"_s.arg(address, hex(written))
                              : u"%1: %2 %3 ; запись %4\r\n"_s.arg(address, hex(old), hex(written)).arg(r);
        }
        text += form == 1 ? u"+0\r\n"_s : form == 2 ? u"#pragma disable old_equal_ff\r\n"_s : QString();
        made.patches.push_back(text);
    }
    return made;
}

} // namespace

// A hundred made-up patches put on, each taken off against the backup that
// holds them all: the backup comes back byte for byte, and the check before
// a flash finds that everything taken off fits.
TEST(BackupEdit, TakesOffAHundredPatchesOfAMadeUpCollection)
{
    const MadeUpCollection made = madeUpCollection(100, 1024 * 1024);
    QString all;
    for (const QString &patch : made.patches)
        all += u"\r\n"_s + patch;
    QByteArray on = made.before;
    ASSERT_EQ(faultList(writeRecords(readPatchText(all), on)), u""_s);
    ASSERT_TRUE(on == made.after);

    const BackupImage onPhone = wholeImage(on);
    QString takeOff;
    for (const QString &patch : made.patches) {
        const PatchReading reading = readPatchText(patch);
        ASSERT_EQ(matchPatch(reading, onPhone).state, PatchState::Applied);
        const PatchEdit edit = takeOffText(patch, reading, &onPhone, u"p");
        ASSERT_EQ(edit.outcome, EditOutcome::Done) << faultList(edit.faults).toStdString();
        takeOff += edit.text;
    }
    const PatchReading reading = readPatchText(takeOff);
    EXPECT_TRUE(reading.findings.empty());
    EXPECT_EQ(reading.offset, 0);
    EXPECT_EQ(matchPatch(reading, onPhone).state, PatchState::NotApplied);
    QByteArray off = on;
    ASSERT_EQ(faultList(writeRecords(reading, off)), u""_s);
    EXPECT_TRUE(off == made.before);
    ASSERT_EQ(faultList(writeRecords(readPatchText(all), off)), u""_s);
    EXPECT_TRUE(off == made.after);
}

namespace {

// The tool as the format note has it, written apart from the program: each
// record checked against the flash as the records above it left it (or found
// written already), then written. False where a record finds neither.
bool flashLikeTheTool(const PatchReading &reading, QByteArray &flash)
{
    for (const PatchRecord &record : reading.records) {
        const QByteArray there = flash.mid(record.address, record.length());
        bool old = true;
        for (qsizetype i = 0; i < record.oldSize; ++i)
            old = old && (there[i] == reading.bytes[record.oldAt + i] || reading.isAnyByte(record.oldAt + i));
        if (!old && there.first(record.newSize) != reading.newBytes(record))
            return false;
        flash.replace(record.address, record.newSize, reading.newBytes(record).toByteArray());
    }
    return true;
}

// A made-up patch against `flash` as real patches chain their records: a
// range written, then written into again; a byte written back; a later
// record over part of an earlier one. Each record's old bytes are what the
// flash holds when the tool comes to it; `bare` is the same without them.
struct ChainedPatch {
    QString text, bare;
};

ChainedPatch chainedPatch(std::mt19937 &random, const QByteArray &flash, int number)
{
    const auto hex = [](QByteArrayView bytes) { return QString::fromLatin1(bytes.toByteArray().toHex().toUpper()); };
    ChainedPatch patch;
    patch.text = patch.bare = u";CX70v50\r\n;Цепочка %1\r\n"_s.arg(number);
    // Some behind an offset that wraps, as in the collection.
    const bool offset = random() % 3 == 0;
    if (offset)
        patch.text += u"+FFF00000\r\n"_s, patch.bare += u"+FFF00000\r\n"_s;
    QByteArray now = flash;
    std::vector<std::pair<qsizetype, qsizetype>> written;
    const int records = 1 + int(random() % 6);
    for (int r = 0; r < records; ++r) {
        const int form = written.empty() ? 0 : int(random() % 4);
        qsizetype at = 16 * qsizetype(random() % quint32(flash.size() / 16 - 1)), length = 1 + qsizetype(random() % 8);
        if (form > 0) {
            const auto [from, count] = written[random() % written.size()];
            at = from + qsizetype(random() % quint32(count));
            length = std::min<qsizetype>(1 + qsizetype(random() % quint32(count + 2)), flash.size() - at);
        }
        const QByteArray old = now.mid(at, length);
        QByteArray bytes(length, Qt::Uninitialized);
        for (qsizetype i = 0; i < length; ++i) {
            do
                bytes[i] = char(random());
            while (bytes[i] == old[i] || bytes[i] == flash[at + i]);
        }
        if (form == 3)
            bytes = flash.mid(at, length); // written back as it was
        now.replace(at, length, bytes);
        written.emplace_back(at, length);
        const QString address = QString::number(offset ? at + 0x100000 : at, 16).toUpper();
        patch.text += u"%1: %2 %3\r\n"_s.arg(address, hex(old), hex(bytes));
        patch.bare += form == 3 ? u"%1: %2 %3\r\n"_s.arg(address, hex(old), hex(bytes)) : u"%1: %2\r\n"_s.arg(address, hex(bytes));
    }
    if (offset)
        patch.text += u"+0\r\n"_s, patch.bare += u"+0\r\n"_s;
    return patch;
}

} // namespace

// Made-up chained patches put on one after another, then taken off in the
// reverse order, each step against the tool written above: every patch fits
// the flash before it and is on the flash after it, its copy and its filled
// old bytes are what the tool writes, and each take-off, with the backup and
// without, gives back the flash as it was before that patch.
TEST(BackupEdit, PutsOnAndTakesOffChainedPatchesOneAfterAnother)
{
    for (const unsigned seed : {1u, 2u, 3u, 4u}) {
        std::mt19937 random(seed);
        QByteArray first(64 * 1024, Qt::Uninitialized);
        for (char &b : first)
            b = char(random());
        std::vector<QByteArray> flashes{first};
        std::vector<QString> patches;
        for (int k = 0; k < 30; ++k) {
            const QByteArray &before = flashes.back();
            const ChainedPatch made = chainedPatch(random, before, k);
            const PatchReading bare = readPatchText(made.bare);
            const PatchEdit filled = fillOldBytes(made.bare, bare, wholeImage(before));
            if (filled.outcome != EditOutcome::AllHaveOldBytes) {
                EXPECT_EQ(filled.text.toStdString(), (u"\r\n"_s + made.text).toStdString())
                    << "seed " << seed << ", patch " << k << ": " << editSummary(filled).toStdString();
            }
            const PatchReading reading = readPatchText(made.text);
            QByteArray after = before;
            ASSERT_TRUE(flashLikeTheTool(reading, after)) << "seed " << seed << ", patch " << k;
            EXPECT_EQ(matchPatch(reading, wholeImage(before)).state, after == before ? PatchState::Applied : PatchState::NotApplied)
                << "seed " << seed << ", patch " << k;
            EXPECT_EQ(matchPatch(reading, wholeImage(after)).state, PatchState::Applied) << "seed " << seed << ", patch " << k;
            QByteArray copy = before;
            EXPECT_EQ(faultList(writeRecords(reading, copy)), u""_s) << "seed " << seed << ", patch " << k;
            EXPECT_TRUE(copy == after) << "seed " << seed << ", patch " << k;
            flashes.push_back(after);
            patches.push_back(made.text);
        }
        for (std::size_t k = patches.size(); k-- > 0;) {
            const PatchReading reading = readPatchText(patches[k]);
            const BackupImage on = wholeImage(flashes[k + 1]);
            for (const BackupImage *backup : {&on, static_cast<const BackupImage *>(nullptr)}) {
                const PatchEdit off = takeOffText(patches[k], reading, backup, u"p");
                ASSERT_EQ(off.outcome, EditOutcome::Done) << "seed " << seed << ", patch " << k << ": " << faultList(off.faults).toStdString();
                QByteArray taken = flashes[k + 1];
                EXPECT_TRUE(flashLikeTheTool(readPatchText(off.text), taken) && taken == flashes[k])
                    << "seed " << seed << ", patch " << k << (backup ? ", with the backup" : ", without one");
            }
        }
    }
}

// The copy after a flash: the backup read whole with the text written into
// it, saved complete or not at all; a text the tool would not write as it
// stands writes no copy.
TEST(BackupCopy, IsTheBackupWithTheTextWrittenOrNothing)
{
    const QTemporaryDir dir;
    const auto path = [&](const QString &name) { return QDir::toNativeSeparators(dir.filePath(name)); };
    const QByteArray before = patternFlash(smallestBackup);
    {
        QFile file(path(u"full.bin"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(before) == before.size());
    }
    Backup backup;
    ASSERT_FALSE(chooseBackup(path(u"full.bin"_s), backup));

    FlashedCopy copy;
    ASSERT_FALSE(flashedCopy(backup, readPatchText(u"100: 10 AA\r\n\r\n+FFF00000\r\n100200: 5E5E 0102\r\n+0"_s), copy));
    ASSERT_FALSE(copy.refused);
    ASSERT_FALSE(saveFlashedCopy(path(u"after.bin"_s), copy.bytes));
    QByteArray expected = before;
    expected[0x100] = char(0xAA);
    expected.replace(0x200, 2, QByteArray::fromHex("0102"));
    QFile after(path(u"after.bin"_s));
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_TRUE(after.readAll() == expected);
    after.close();

    ASSERT_FALSE(flashedCopy(backup, readPatchText(u"100: 10 AA\r\n104: 99 CC\r\nxyz"_s), copy));
    ASSERT_TRUE(copy.refused);
    EXPECT_TRUE(copy.bytes.isEmpty());
    EXPECT_EQ(copy.refused->message(),
              u"Копия после прошивки не сохранена: прошивальщик запишет этот текст не так, как он написан.\n\n"
              u"Причина: запись в строке 2 не подходит к копии прошивки «full.bin»: патч написан для другой прошивки; строку 3 "
              u"прошивальщик не прочтёт или может прочесть иначе: копия должна быть тем, что окажется в телефоне. Поправьте текст "
              u"(кнопка передачи скажет, что не так) и сохраните копию снова."_s);

    ASSERT_TRUE(QFile::resize(path(u"full.bin"_s), smallestBackup + 1));
    const Status changed = flashedCopy(backup, readPatchText(u"100: 10 AA"_s), copy);
    ASSERT_TRUE(changed);
    EXPECT_EQ(changed->reason, u"файл изменился: в нём было 1048576 Б, а теперь 1048577 Б"_s);

    const Status noFolder = saveFlashedCopy(path(u"gone/after.bin"_s), expected);
    ASSERT_TRUE(noFolder);
    EXPECT_EQ(noFolder->summary, u"Не удалось сохранить копию после прошивки."_s);
    EXPECT_EQ(noFolder->reason, u"папка не найдена"_s);

#ifndef Q_OS_WIN
    // A write that fails at its very last bytes, kept in Qt's buffer until
    // the commit: the old file stays whole, and nothing is left beside it.
    struct rlimit limit;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const auto ignored = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = limit;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const Status cut = saveFlashedCopy(path(u"after.bin"_s), QByteArray(10000, 'x'));
    setrlimit(RLIMIT_FSIZE, &limit);
    signal(SIGXFSZ, ignored);
    ASSERT_TRUE(cut);
    EXPECT_TRUE(cut->reason.startsWith(u"ошибка записи"_s)) << cut->reason.toStdString();
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_TRUE(after.readAll() == expected);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{u"after.bin"_s, u"full.bin"_s}));
#endif
}

// Each kind once, with its lines, one or several; ten lines at most.
TEST(EditWords, NameEachKindOfFaultOnceWithItsLines)
{
    const struct {
        const char *name;
        std::vector<RecordFault> faults;
        QString reason;
    } rows[] = {
        {"one", {{EditFault::PlaceholderInOld, 4}},
         u"в старых байтах записи в строке 4 заполнители вместо байтов, и неизвестно, что было там до патча"_s},
        {"several kinds, in the order of the kinds", {{EditFault::Outside, 2}, {EditFault::UndoOff, 3}, {EditFault::UndoOff, 5}, {EditFault::Outside, 7}},
         u"записи в строках 3 и 5 идут после «#pragma disable undo»: автор патча не даёт их снимать; записи в строках 2 и 7 пишут "
         u"за концом копии прошивки «full.bin»: патч для другого телефона"_s},
        {"one of each", {{EditFault::UndoOff, 1}, {EditFault::Outside, 2}, {EditFault::DoesNotFit, 3}, {EditFault::Unreadable, 4}},
         u"запись в строке 1 идёт после «#pragma disable undo»: автор патча не даёт её снимать; запись в строке 3 не подходит к "
         u"копии прошивки «full.bin»: патч написан для другой прошивки; запись в строке 2 пишет за концом копии прошивки «full.bin»: "
         u"патч для другого телефона; строку 4 прошивальщик не прочтёт или может прочесть иначе"_s},
        {"three lines", {{EditFault::Unreadable, 1}, {EditFault::Unreadable, 4}, {EditFault::Unreadable, 9}},
         u"строки 1, 4 и 9 прошивальщик не прочтёт или может прочесть иначе"_s},
        {"at odds, each with its own", {{EditFault::Rewritten, 5, 3, true}, {EditFault::Rewritten, 7, 6, false}},
         u"запись в строке 5 ждёт байты, которые запись в строке 3 уже переписала; запись в строке 7 ждёт не те байты, что запись в строке 6"_s},
        {"not given back", {{EditFault::NotGivenBack, 2}},
         u"после правки запись в строке 2 записала бы не те байты, что должна, и программа её не правит"_s},
    };
    for (const auto &row : rows)
        EXPECT_EQ(editReason({EditOutcome::Refused, {}, row.faults}, u"«full.bin»"_s).toStdString(), row.reason.toStdString()) << row.name;

    std::vector<RecordFault> many;
    for (int line = 1; line <= 12; ++line)
        many.push_back({EditFault::NoOldBytes, line});
    EXPECT_EQ(editReason({EditOutcome::Refused, {}, many}, u"«full.bin»"_s),
              u"у записей в строках 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 и ещё 2 нет старых байтов, и неизвестно, что было там до патча"_s);
    EXPECT_EQ(editReason({EditOutcome::NoRecords, {}, {}}, u"«full.bin»"_s), u"в нём нет ни одной записи «адрес: байты»"_s);
}
