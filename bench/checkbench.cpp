// Reading the patch text as the flashing tool would, before a hand-over,
// against writing the same text to tmp.vkp, which the hand-over does anyway.
#include "stopwatch.h"

#include "assembly/patchtextholder.h"
#include "handover/handover.h"
#include "patchformat/patchwarnings.h"
#include "support/programfolder.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int patches = 10;
constexpr int recordsPerPatch = 10'000;

// Ten made-up patches as they are written: comments at the top, an offset and
// a pragma each ends again, then records of sixteen old and new bytes each.
QString realisticPatchText()
{
    QString text;
    text.reserve(qsizetype(patches) * recordsPerPatch * 96);
    for (int p = 0; p < patches; ++p) {
        text += QStringLiteral("\r\n; Патч %1 для CX70: придуманные байты для замера\r\n"
                               "; автор: никто\r\n#pragma enable old_equal_ff\r\n+A0000000\r\n")
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

void Check(benchmark::State &state)
{
    const QString text = realisticPatchText();
    for (auto _ : state) {
        QString warning;
        state.SetIterationTime(secondsTaken([&] { warning = handoverWarning(text, readPatchText(text)); }));
        if (!warning.isEmpty())
            state.SkipWithError(qPrintable(warning));
    }
}

void CheckFloor(benchmark::State &state)
{
    const ProgramFolder folder;
    PlainTextHolder holder;
    holder.setText(realisticPatchText());
    for (auto _ : state) {
        Status failure;
        state.SetIterationTime(secondsTaken([&] { failure = ExportPatchText(holder); }));
        if (failure)
            state.SkipWithError(qPrintable(failure->message()));
    }
}

} // namespace

BENCHMARK(Check)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8)->Repetitions(9);
BENCHMARK(CheckFloor)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8)->Repetitions(9);
