// Appending to the program's text box, shown offscreen. Each timing includes
// the event processing that follows the change, so the repaint it causes is
// paid for on both sides.
#include "shown.h"
#include "patchfile.h"
#include "stopwatch.h"

#include "assembly/assembly.h"
#include "mainwindow.h"
#include "textboxholder.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <benchmark/benchmark.h>

namespace {

constexpr int boxLines = 100'000;
constexpr int growthLines = 1'000;
constexpr int growthAppends = 200;
constexpr int growthSample = 20;

QPlainTextEdit *textBox(MainWindow &window)
{
    return window.findChild<QPlainTextEdit *>(QStringLiteral("txtPath"));
}

bool shown(benchmark::State &state, QWidget &window)
{
    if (showUntilExposed(window))
        return true;
    state.SkipWithError("the window was never exposed");
    return false;
}

void checkHolds(benchmark::State &state, const QPlainTextEdit &edit, const QString &text)
{
    // characterCount() counts the closing paragraph separator too.
    if (edit.document()->characterCount() != text.size() + 1)
        state.SkipWithError("the text box does not hold the expected text");
}

void AppendToTextBox(benchmark::State &state)
{
    const ProgramFolder folder;
    const QByteArray patch = patchFileBytes(boxLines);
    writePatch(folder, patch);
    const QString expected = documentText(patch);
    for (auto _ : state) {
        MainWindow window;
        if (!shown(state, window))
            break;
        TextBoxHolder holder(textBox(window));
        Status failure;
        state.SetIterationTime(secondsTaken([&] {
            failure = AppendPatchFile(holder, Category::Other, 0);
            QCoreApplication::processEvents();
        }));
        if (failure)
            state.SkipWithError(qPrintable(failure->message()));
        checkHolds(state, *textBox(window), expected);
    }
}

// A bare text box set up like the program's: same size, no wrapping, scroll bars always on.
void SetPlainTextFloor(benchmark::State &state)
{
    const QString text = documentText(patchFileBytes(boxLines));
    MainWindow model;
    const QPlainTextEdit *like = textBox(model);
    for (auto _ : state) {
        QPlainTextEdit edit;
        edit.resize(like->size());
        edit.setLineWrapMode(like->lineWrapMode());
        edit.setHorizontalScrollBarPolicy(like->horizontalScrollBarPolicy());
        edit.setVerticalScrollBarPolicy(like->verticalScrollBarPolicy());
        if (!shown(state, edit))
            break;
        state.SetIterationTime(secondsTaken([&] {
            edit.setPlainText(text);
            QCoreApplication::processEvents();
        }));
        checkHolds(state, edit, text);
    }
}

void Growth(benchmark::State &state)
{
    const ProgramFolder folder;
    writePatch(folder, patchFileBytes(growthLines));
    for (auto _ : state) {
        MainWindow window;
        if (!shown(state, window))
            break;
        TextBoxHolder holder(textBox(window));
        double total = 0, first = 0, last = 0;
        for (int i = 0; i < growthAppends; ++i) {
            Status failure;
            const double seconds = secondsTaken([&] {
                failure = AppendPatchFile(holder, Category::Other, 0);
                QCoreApplication::processEvents();
            });
            if (failure) {
                state.SkipWithError(qPrintable(failure->message()));
                break;
            }
            total += seconds;
            if (i < growthSample)
                first += seconds;
            if (i >= growthAppends - growthSample)
                last += seconds;
        }
        state.SetIterationTime(total);
        state.counters["first_ms"] = first * 1e3;
        state.counters["last_ms"] = last * 1e3;
    }
}

} // namespace

BENCHMARK(AppendToTextBox)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(9);
BENCHMARK(SetPlainTextFloor)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(9);
BENCHMARK(Growth)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(9);
