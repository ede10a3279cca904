#include "backup/backupfile.h"
#include "backup/backupmatch.h"
#include "backup/backupwords.h"

#include "support/hold.h"
#include "support/ordinaryuser.h"
#include "support/printers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

// Made-up flash: a pattern no patch byte below takes (80..BC), with a few
// patches' bytes written in.
QByteArray madeUpBackup(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(0x80 | (i % 61));
    bytes.replace(0x100, 4, QByteArray::fromHex("10203040"));
    bytes.replace(0x200, 2, QByteArray::fromHex("5E5E"));
    bytes.replace(0x300, 2, QByteArray::fromHex("FFFF"));
    return bytes;
}

const char *const stateNames[] = {"NoRecords", "Applied", "NotApplied", "PartlyApplied", "DoesNotFit", "Outside"};
const char *const recordStateNames[] = {"Applied", "Fits", "Unchanged", "DoesNotFit", "Outside"};

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
    const QByteArray bytes = madeUpBackup(4096);
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
    const QByteArray bytes = madeUpBackup(0x20000);
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
    const QByteArray bytes = madeUpBackup(2 * 1024 * 1024);
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
    write("full.bin", madeUpBackup(smallestBackup));
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
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(madeUpBackup(smallestBackup)) == smallestBackup);
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
