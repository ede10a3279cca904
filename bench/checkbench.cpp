// Reading the patch text as the flashing tool would, before a hand-over,
// against writing the same text to tmp.vkp, which the hand-over does anyway;
// the same with a full-flash backup in use, of 64 MiB against 1 MiB; and
// choosing a backup, which marks the twenty entries.
#include "stopwatch.h"

#include "assembly/patchtextholder.h"
#include "backup/backupfile.h"
#include "entries/entrystate.h"
#include "handover/handover.h"
#include "patchformat/patchwarnings.h"
#include "support/programfolder.h"

#include <QFileInfo>
#include <QSaveFile>
#include <benchmark/benchmark.h>

namespace {

constexpr int patches = 10;
constexpr int recordsPerPatch = 10'000;

// Ten made-up patches as they are written: comments at the top, an offset and
// a pragma each ends again, then records of sixteen old and new bytes each,
// the first patch in the first MiB of the flash, the others after it.
QString realisticPatchText()
{
    QString text;
    text.reserve(qsizetype(patches) * recordsPerPatch * 96);
    for (int p = 0; p < patches; ++p) {
        text += QStringLiteral("\r\n; Патч %1 для CX70: придуманные байты для замера\r\n"
                               "; автор: никто\r\n#pragma enable old_equal_ff\r\n+10000\r\n")
                    .arg(p);
        for (int r = 0; r < recordsPerPatch; ++r) {
            const uint address = 0x100000 * p + 16 * r;
            const QString old = QString::number(0x0123456789ABCDEFull ^ address, 16).toUpper();
            text += QStringLiteral("%1: %2%2 %3%3 ; байты %4\r\n")
                        .arg(address, 6, 16, QChar(u'0'))
                        .arg(old, QString(old).replace(u'0', u'F'))
                        .arg(r);
        }
        text += QStringLiteral("+0\r\n#pragma disable old_equal_ff\r\n");
    }
    return text;
}

// A made-up flash holding the old bytes of every record of `text` that lies in it.
void writeBackup(const QString &path, qint64 size, QStringView text)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char(i * 7);
    const PatchReading reading = readPatchText(text);
    for (const PatchRecord &record : reading.records) {
        if (record.address + record.oldSize <= size)
            bytes.replace(record.address, record.oldSize, reading.oldBytes(record).toByteArray());
    }
    // Synced, as a backup kept for long is: else the kernel would still be
    // writing 64 MiB back to the disk while the check is timed.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != size || !file.commit())
        qFatal("cannot write %s", qPrintable(path));
}

// The check a hand-over makes: the text read, and matched against the backup
// where one is in use.
QString check(QStringView text, const Backup *backup)
{
    const PatchReading reading = readPatchText(text, backup ? RecordBytes::Kept : RecordBytes::Counted);
    std::vector<WarningItem> items;
    if (backup) {
        if (const Status failure = checkAgainstBackup(*backup, reading, items))
            return failure->message();
    }
    return handoverWarning(text, reading, items);
}

void Check(benchmark::State &state)
{
    const QString text = realisticPatchText();
    for (auto _ : state) {
        QString warning;
        state.SetIterationTime(secondsTaken([&] { warning = check(text, nullptr); }));
        if (!warning.isEmpty())
            state.SkipWithError(qPrintable(warning));
    }
}

// All of the text lies in a 64 MiB backup, a tenth of it in a 1 MiB one.
void checkWithBackup(benchmark::State &state, int mebibytes)
{
    const ProgramFolder folder;
    const QString text = realisticPatchText();
    const QString path = folder.file(QStringLiteral("full.bin"));
    writeBackup(path, qint64(mebibytes) * 1024 * 1024, text);
    Backup backup;
    if (const Status failure = chooseBackup(path, backup))
        state.SkipWithError(qPrintable(failure->message()));
    for (auto _ : state) {
        QString warning;
        state.SetIterationTime(secondsTaken([&] { warning = check(text, &backup); }));
        if (mebibytes == 64 && !warning.isEmpty())
            state.SkipWithError(qPrintable(warning));
    }
}

void CheckWithLargeBackup(benchmark::State &state)
{
    checkWithBackup(state, 64);
}

void CheckWithSmallBackup(benchmark::State &state)
{
    checkWithBackup(state, 1);
}

// Twenty patches of fifty records each, and a 64 MiB backup they fit.
void ChooseBackup(benchmark::State &state)
{
    const ProgramFolder folder;
    QString all;
    for (const PatchCategory &category : patchCatalogue()) {
        for (int index = 0; index < int(category.entries.size()); ++index) {
            QByteArray patch = "; " + PatchFilePath(category.category, index).toUtf8() + "\r\n";
            for (int r = 0; r < 50; ++r) {
                const uint address = 0x200000 + 0x10000 * uint(all.size() % 97) + 0x100 * uint(r) + uint(index);
                patch += QByteArray::number(address, 16) + ": " + QByteArray::number(address * 31, 16).right(8).rightJustified(8, '0')
                         + " 5E5E5E5E\r\n";
            }
            folder.write(QFileInfo(PatchFilePath(category.category, index)).fileName(), patch);
            all += QString::fromLatin1(patch);
        }
    }
    const QString path = folder.file(QStringLiteral("full.bin"));
    writeBackup(path, 64 * 1024 * 1024, all);
    for (auto _ : state) {
        Status failure;
        state.SetIterationTime(secondsTaken([&] {
            Backup backup;
            failure = chooseBackup(path, backup);
            if (!failure)
                lookAtEntries(backup, failure);
        }));
        if (failure)
            state.SkipWithError(qPrintable(failure->message()));
    }
}

void CheckFloor(benchmark::State &state)
{
    const ProgramFolder folder;
    PlainTextHolder holder;
    holder.setText(realisticPatchText());
    for (auto _ : state) {
        Status failure;
        state.SetIterationTime(secondsTaken([&] { failure = ExportPatchText(holder.text()); }));
        if (failure)
            state.SkipWithError(qPrintable(failure->message()));
    }
}

} // namespace

BENCHMARK(Check)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8)->Repetitions(9);
BENCHMARK(CheckWithLargeBackup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8)->Repetitions(9);
BENCHMARK(CheckWithSmallBackup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8)->Repetitions(9);
BENCHMARK(ChooseBackup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8)->Repetitions(9);
BENCHMARK(CheckFloor)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8)->Repetitions(9);
