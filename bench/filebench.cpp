// Reading a patch file against the bare read and decoding it cannot do without,
// and writing tmp.vkp against the bare atomic replace of the same bytes.
#include "patchfile.h"
#include "stopwatch.h"

#include "assembly/assembly.h"
#include "handover/handover.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <benchmark/benchmark.h>

namespace {

constexpr int readLines = 16 * 1024 * 1024 / patchLineBytes;
constexpr int exportLines = 100'000;

void skipOn(benchmark::State &state, const Status &failure)
{
    if (failure)
        state.SkipWithError(qPrintable(failure->message()));
}

// Both read the same file, which the first rounds leave in the file cache.
void Reading(benchmark::State &state)
{
    const ProgramFolder folder;
    writePatch(folder, patchFileBytes(readLines));
    const QString path = PatchFilePath(Category::Other, 0);
    timeInTurns(
        state, 41,
        [&] {
            PlainTextHolder holder;
            Status failure;
            const double seconds = secondsTaken([&] { failure = AppendPatchFile(holder, Category::Other, 0); });
            skipOn(state, failure);
            return seconds;
        },
        [&] {
            QString text;
            const double seconds = secondsTaken([&] {
                QFile file(path);
                if (file.open(QIODevice::ReadOnly)) {
                    QStringDecoder decoder("windows-1251");
                    text = decoder.decode(file.readAll());
                }
            });
            if (text.size() != qsizetype(readLines) * patchLineBytes)
                state.SkipWithError("the patch file was not read whole");
            return seconds;
        });
}

PlainTextHolder exportedPatch(const ProgramFolder &folder)
{
    writePatch(folder, patchFileBytes(exportLines));
    PlainTextHolder holder;
    if (const Status failure = AppendPatchFile(holder, Category::Other, 0))
        qFatal("%s", qPrintable(failure->message()));
    return holder;
}

// The floor: the bytes Export writes, already encoded with their closing CR LF,
// replaced the way tmp.vkp must be, through a temporary file synced to disk
// and renamed over the old one.
void Export(benchmark::State &state)
{
    const ProgramFolder folder;
    const PlainTextHolder holder = exportedPatch(folder);
    skipOn(state, ExportPatchText(holder.text()));
    const QString path = folder.file(QStringLiteral("tmp.vkp"));
    QFile exported(path);
    const QByteArray bytes = exported.open(QIODevice::ReadOnly) ? exported.readAll() : QByteArray();
    exported.close();
    if (!bytes.endsWith("\r\n"))
        state.SkipWithError("tmp.vkp was not written");
    if (state.error_occurred())
        return;
    timeInTurns(
        state, 41,
        [&] {
            Status failure;
            const double seconds = secondsTaken([&] { failure = ExportPatchText(holder.text()); });
            skipOn(state, failure);
            return seconds;
        },
        [&] {
            bool written = false;
            const double seconds = secondsTaken([&] {
                QSaveFile file(path);
                written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
            });
            if (!written)
                state.SkipWithError("tmp.vkp was not written");
            return seconds;
        });
}

} // namespace

BENCHMARK(Reading)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(Export)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
