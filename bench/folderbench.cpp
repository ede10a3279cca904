// A folder of patches in the collection's layout, listed and each patch
// marked against a 32 MiB backup: read again as the window does each time it
// comes back, against reading the same files whole with QFile; chosen, every
// file read whole and every record matched, once; and a folder ten times as
// large chosen, against ten choices of the first.
#include "stopwatch.h"

#include "patchfolder/patchfolder.h"
#include "support/madeup.h"
#include "support/programfolder.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <benchmark/benchmark.h>

namespace {

constexpr int collectionPatches = 238;
constexpr qint64 backupBytes = 32 * 1024 * 1024;

void write(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        qFatal("cannot write %s", qPrintable(path));
}

// `copies` times the collection's folder for this phone, with the files that
// stand beside its patches.
QString madeUpCollection(const ProgramFolder &folder, const QString &name, int copies)
{
    const QString path = QDir(folder.root()).filePath(name);
    std::vector<MadeUpPatch> all;
    for (int copy = 0; copy < copies; ++copy) {
        for (MadeUpPatch &patch : madeUpPatches(collectionPatches, backupBytes)) {
            patch.fileName.prepend(QStringLiteral("%1-").arg(copy));
            all.push_back(std::move(patch));
        }
    }
    writeMadeUp(path, all);
    return path;
}

std::optional<Backup> madeUpBackup(const ProgramFolder &folder)
{
    const QString path = QDir(folder.root()).filePath(QStringLiteral("full.bin"));
    write(path, madeUpFlash(madeUpPatches(collectionPatches, backupBytes), backupBytes));
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
    // Every patch listed, those that write nothing as they stand too.
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
