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

// Against a bare text box set up like the program's (same size, no wrapping,
// scroll bars always on) given the same text by setPlainText. Each side
// shows a new box of its own.
void AppendToTextBox(benchmark::State &state)
{
    const ProgramFolder folder;
    const QByteArray patch = patchFileBytes(boxLines);
    writePatch(folder, patch);
    const QString expected = documentText(patch);
    MainWindow model;
    const QPlainTextEdit *like = textBox(model);
    timeInTurns(
        state, 15,
        [&] {
            MainWindow window;
            if (!shown(state, window))
                return 0.0;
            TextBoxHolder holder(textBox(window));
            Status failure;
            const double seconds = secondsTaken([&] {
                failure = AppendPatchFile(holder, Category::Other, 0);
                QCoreApplication::processEvents();
            });
            if (failure)
                state.SkipWithError(qPrintable(failure->message()));
            else
                checkHolds(state, *textBox(window), expected);
            return seconds;
        },
        [&] {
            QPlainTextEdit edit;
            edit.resize(like->size());
            edit.setLineWrapMode(like->lineWrapMode());
            edit.setHorizontalScrollBarPolicy(like->horizontalScrollBarPolicy());
            edit.setVerticalScrollBarPolicy(like->verticalScrollBarPolicy());
            if (!shown(state, edit))
                return 0.0;
            const double seconds = secondsTaken([&] {
                edit.setPlainText(expected);
                QCoreApplication::processEvents();
            });
            checkHolds(state, edit, expected);
            return seconds;
        });
}

// An append to a box that holds 180 appends already, against an append to a
// box that held none at first: window by window, the 181st and the 1st in
// turns, up to the 200th and the 20th.
void Growth(benchmark::State &state)
{
    constexpr int windows = 5;
    const ProgramFolder folder;
    writePatch(folder, patchFileBytes(growthLines));
    const auto append = [&](TextBoxHolder &holder) {
        Status failure;
        const double seconds = secondsTaken([&] {
            failure = AppendPatchFile(holder, Category::Other, 0);
            QCoreApplication::processEvents();
        });
        if (failure && !state.error_occurred())
            state.SkipWithError(qPrintable(failure->message()));
        return seconds;
    };
    Turns turns;
    for (auto _ : state) {
        for (int w = 0; w < windows && !state.error_occurred(); ++w) {
            MainWindow full, fresh;
            if (!shown(state, full) || !shown(state, fresh))
                break;
            TextBoxHolder grown(textBox(full)), empty(textBox(fresh));
            for (int i = 0; i < growthAppends - growthSample && !state.error_occurred(); ++i)
                append(grown);
            for (int i = 0; i < growthSample && !state.error_occurred(); ++i) {
                double last = 0, first = 0;
                if (i % 2 == 0) {
                    last = append(grown);
                    first = append(empty);
                } else {
                    first = append(empty);
                    last = append(grown);
                }
                turns.add(last, first);
            }
        }
        state.SetIterationTime(turns.total());
    }
    turns.report(state);
}

} // namespace

BENCHMARK(AppendToTextBox)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(Growth)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
