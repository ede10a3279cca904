// Reading the patch text as the flashing tool would, before a hand-over,
// against writing the same text to tmp.vkp, which the hand-over does anyway;
// the check with a 64 MiB full-flash backup against the check without one
// and against the check with a 1 MiB one; and choosing a backup, which marks
// the twenty entries.
#include "stopwatch.h"

#include "assembly/patchtextholder.h"
#include "backup/backupfile.h"
#include "catalogue/catalogue.h"
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

// Against the export of the same text, which a hand-over does right after.
void Check(benchmark::State &state)
{
    const ProgramFolder folder;
    const QString text = realisticPatchText();
    PlainTextHolder holder;
    holder.setText(text);
    timeInTurns(
        state, 41,
        [&] {
            QString warning;
            const double seconds = secondsTaken([&] { warning = check(text, nullptr); });
            if (!warning.isEmpty())
                state.SkipWithError(qPrintable(warning));
            return seconds;
        },
        [&] {
            Status failure;
            const double seconds = secondsTaken([&] { failure = ExportPatchText(holder.text()); });
            if (failure)
                state.SkipWithError(qPrintable(failure->message()));
            return seconds;
        });
}

// A check with a backup of `mebibytes` MiB, written beforehand at `path`; with
// 0, a check without one.
class BackupCheck
{
public:
    BackupCheck(benchmark::State &state, QStringView text, const QString &path, int mebibytes)
        : m_state(state)
        , m_text(text)
    {
        if (mebibytes == 0)
            return;
        writeBackup(path, qint64(mebibytes) * 1024 * 1024, text);
        if (const Status failure = chooseBackup(path, m_backup))
            state.SkipWithError(qPrintable(failure->message()));
        m_large = mebibytes == 64;
        m_none = false;
    }

    double operator()() const
    {
        QString warning;
        const double seconds = secondsTaken([&] { warning = check(m_text, m_none ? nullptr : &m_backup); });
        // All of the text lies in the 64 MiB backup, so nothing is to be said;
        // in the 1 MiB one, nine tenths of it lie past the end.
        if ((m_none || m_large) && !warning.isEmpty() && !m_state.error_occurred())
            m_state.SkipWithError(qPrintable(warning));
        return seconds;
    }

private:
    benchmark::State &m_state;
    QStringView m_text;
    Backup m_backup;
    bool m_none = true;
    bool m_large = false;
};

// The check with a 64 MiB backup against the check without one, and against
// the check with a 1 MiB one. Both backups are written and synced before the
// timing starts, and the pieces read of them stay in the file cache, as a
// backup kept for long would be.
void CheckWithLargeBackup(benchmark::State &state)
{
    const ProgramFolder folder;
    const QString text = realisticPatchText();
    const BackupCheck large(state, text, folder.file(QStringLiteral("full.bin")), 64);
    timeInTurns(state, 101, large, BackupCheck(state, text, QString(), 0));
}

void CheckWithSmallBackup(benchmark::State &state)
{
    const ProgramFolder folder;
    const QString text = realisticPatchText();
    const BackupCheck large(state, text, folder.file(QStringLiteral("full.bin")), 64);
    const BackupCheck small(state, text, folder.file(QStringLiteral("small.bin")), 1);
    timeInTurns(state, 101, large, small);
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
                lookAtFiles(catalogueFiles(), Look::Start, backup, failure);
        }));
        if (failure)
            state.SkipWithError(qPrintable(failure->message()));
    }
}

} // namespace

// Runs of empty comment lines between two patches of the collection that
// write the same bytes: the check of 40,000 such lines against that of
// 20,000, twice. Each header is read from its own line only, so the check
// grows with the text, and the ratio stays near 1 (it was 2 and rising).
QString headersText(int emptyComments)
{
    return QStringLiteral(";CX70v50\r\n;Один\r\n100: 01 02\r\n") + QStringLiteral(";\r\n").repeated(emptyComments)
        + QStringLiteral(";CX70v50\r\n;Два\r\n100: 01 03\r\n");
}

void HeadersInALongText(benchmark::State &state)
{
    const QString longer = headersText(40'000), shorter = headersText(20'000);
    const auto checked = [&](const QString &text) {
        QString warning;
        const double seconds = secondsTaken([&] { warning = check(text, nullptr); });
        if (!warning.contains(QStringLiteral("«Один» и «Два»")))
            state.SkipWithError("the two patches were not named");
        return seconds;
    };
    timeInTurns(state, 21, [&] { return checked(longer); }, [&] { return checked(shorter) + checked(shorter); });
}

BENCHMARK(Check)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(CheckWithLargeBackup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(CheckWithSmallBackup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(HeadersInALongText)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(ChooseBackup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8)->Repetitions(9);
