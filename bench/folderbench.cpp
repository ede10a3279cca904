// A folder of patches in the collection's layout, listed and each patch
// marked against a 32 MiB backup: read again as the window does each time it
// comes back, against reading the same files whole with QFile; chosen, every
// file read whole and every record matched, once; and a folder ten times as
// large chosen, against ten choices of the first.
#include "stopwatch.h"

#include "patchfolder/patchfolder.h"
#include "support/programfolder.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <benchmark/benchmark.h>
#include <cmath>

namespace {

constexpr int collectionPatches = 238;
constexpr qint64 backupBytes = 32 * 1024 * 1024;

// How many records the `i`th patch has: most a few dozen, some hundreds, a
// few thousands, spread evenly on a logarithmic scale from 3 to 2,000; and
// one bundle of others, of about 3 MB, as the largest real patches are.
int recordsOf(int i)
{
    if (i == 0)
        return 90'000;
    const double spread = std::fmod(i * 0.6180339887, 1.0);
    return int(3 * std::pow(2000.0 / 3, spread));
}

// A made-up patch in the collection's layout, its records of one old and one
// new byte each, at addresses of its own inside the backup.
QByteArray madeUpPatch(int i, int records)
{
    QByteArray text = "; CX70v50\r\n; \xCF\xE0\xF2\xF7 " + QByteArray::number(i) // "Патч N"
                      + "\r\n; Patch " + QByteArray::number(i) + "\r\n; (c) nobody\r\n; Version: \r\n; PatchID: "
                      + QByteArray::number(1000 + i) + "\r\n; Details: https://example.org/" + QByteArray::number(i) + "\r\n";
    const quint32 first = 0x100000 + quint32(i % 97) * 0x40000 + quint32(i) * 0x100;
    for (int r = 0; r < records; ++r) {
        char line[40];
        text += QByteArrayView(line, qsnprintf(line, sizeof line, "%08X: %02X %02X\r\n", first + 2 * quint32(r), r & 0x7F, 0x5E));
    }
    return text;
}

void write(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        qFatal("cannot write %s", qPrintable(path));
}

// `copies` times the collection's 238 patches, with an archive and a picture
// beside every tenth; and a backup holding the old bytes of every record.
QString madeUpCollection(const ProgramFolder &folder, const QString &name, int copies)
{
    const QString path = QDir(folder.root()).filePath(name);
    QDir().mkpath(path);
    for (int i = 0; i < collectionPatches * copies; ++i) {
        write(QDir(path).filePath(QStringLiteral("%1-made_up.vkp").arg(i)), madeUpPatch(i, recordsOf(i % collectionPatches)));
        if (i % 10 == 0)
            write(QDir(path).filePath(QStringLiteral("%1-pictures.zip").arg(i)), QByteArray("PK\3\4\0\0", 6).repeated(100));
    }
    return path;
}

std::optional<Backup> madeUpBackup(const ProgramFolder &folder)
{
    // The old bytes: r & 0x7F, as each patch writes them.
    QByteArray flash(backupBytes, '\0');
    for (int i = 0; i < collectionPatches; ++i) {
        const quint32 first = 0x100000 + quint32(i % 97) * 0x40000 + quint32(i) * 0x100;
        for (int r = 0; r < recordsOf(i) && first + 2 * quint32(r) < backupBytes; ++r)
            flash[first + 2 * r] = char(r & 0x7F);
    }
    const QString path = QDir(folder.root()).filePath(QStringLiteral("full.bin"));
    write(path, flash);
    Backup backup;
    if (chooseBackup(path, backup))
        return std::nullopt;
    return backup;
}

// With a memory of the listings before, or a new one, as when the folder is chosen.
double listing(benchmark::State &state, const QString &folder, const std::optional<Backup> &backup, FolderMemory memory)
{
    PatchFolder listed;
    Status failure, backupFailure;
    const double seconds = secondsTaken([&] { failure = listPatchFolder(folder, backup, memory, listed, backupFailure); });
    if (failure || backupFailure || listed.patches.size() % collectionPatches != 0)
        state.SkipWithError("the folder was not listed whole");
    return seconds;
}

// The floor: each file of the folder read whole, as bare Qt reads a file.
double readingWhole(benchmark::State &state, const QString &folder)
{
    qint64 read = 0;
    const double seconds = secondsTaken([&] {
        for (const QFileInfo &info : QDir(folder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort)) {
            QFile file(info.filePath());
            if (file.open(QIODevice::ReadOnly))
                read += file.readAll().size();
        }
    });
    if (read == 0)
        state.SkipWithError("nothing was read");
    return seconds;
}

// The collection's folder and a backup for it, made once for a benchmark.
struct MadeUp {
    explicit MadeUp(benchmark::State &state)
        : collection(madeUpCollection(folder, QStringLiteral("CX70v50"), 1))
        , backup(madeUpBackup(folder))
    {
        if (!backup)
            state.SkipWithError("no backup");
    }

    const ProgramFolder folder;
    const QString collection;
    const std::optional<Backup> backup;
};

// Read again, as each time the window comes back: what is known of the last
// listing is used where nothing changed.
void ListFolderAgain(benchmark::State &state)
{
    const MadeUp madeUp(state);
    FolderMemory memory;
    PatchFolder listed;
    Status backupFailure;
    listPatchFolder(madeUp.collection, madeUp.backup, memory, listed, backupFailure);
    timeInTurns(
        state, 41, [&] { return listing(state, madeUp.collection, madeUp.backup, memory); },
        [&] { return readingWhole(state, madeUp.collection); });
}

// Chosen: every file read whole and every record matched.
void ChooseFolder(benchmark::State &state)
{
    const MadeUp madeUp(state);
    timeInTurns(
        state, 21, [&] { return listing(state, madeUp.collection, madeUp.backup, {}); },
        [&] { return readingWhole(state, madeUp.collection); });
}

// Linear: ten times the files, chosen, take ten times as long.
void ListLargeFolder(benchmark::State &state)
{
    const MadeUp madeUp(state);
    const QString large = madeUpCollection(madeUp.folder, QStringLiteral("large"), 10);
    timeInTurns(
        state, 9, [&] { return listing(state, large, madeUp.backup, {}); },
        [&] {
            double seconds = 0;
            for (int i = 0; i < 10; ++i)
                seconds += listing(state, madeUp.collection, madeUp.backup, {});
            return seconds;
        });
}

} // namespace

BENCHMARK(ListFolderAgain)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(ChooseFolder)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(ListLargeFolder)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
