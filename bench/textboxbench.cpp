// Appending to the program's text box, shown offscreen, and a key pressed in
// it. Each timing includes the event processing that follows the change, so
// the repaint it causes is paid for on both sides.
#include "shown.h"
#include "patchfile.h"
#include "stopwatch.h"

#include "assembly/assembly.h"
#include "backupinuse.h"
#include "livetext/patchtextedit.h"
#include "livetext/textchecker.h"
#include "mainwindow.h"
#include "textboxholder.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QToolButton>
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

// Ten patches of 400 lines, records against a made-up flash where some fit,
// some are on it, some do not fit, and a line or two of each the tool
// cannot read.
QString markedText(QByteArray &flash)
{
    QString text;
    for (int p = 0; p < 10; ++p) {
        text += QStringLiteral("\n;CX70v50\n;Патч %1\n").arg(p);
        for (int r = 0; r < 396; ++r) {
            const int at = 0x10000 + p * 0x4000 + r * 16;
            flash[at] = char(r % 3 == 1 ? 0x5E : 0x10);
            text += r % 97 == 5 ? QStringLiteral("%1: 10 5Z\n").arg(at, 8, 16, QChar(u'0'))
                                : QStringLiteral("%1: %2 5E ; %3\n").arg(at, 8, 16, QChar(u'0')).arg(r % 3 == 2 ? 0x11 : 0x10, 2, 16).arg(r);
        }
    }
    return text;
}

// A key pressed in the middle of the text, then taken back: with marks,
// colours and findings on, against the same text box in a window of its own
// with them off. The check the key press asks for runs beside the window
// once typing pauses; the pause is made longer than the figure, so that no
// round counts it.
void KeyPress(benchmark::State &state)
{
    const ProgramFolder folder;
    QByteArray flash(2 * 1024 * 1024, '\x33');
    const QString text = markedText(flash);
    folder.write(QStringLiteral("full.bin"), flash);
    MainWindow window;
    if (!shown(state, window))
        return;
    auto *edit = window.findChild<PatchTextEdit *>(QStringLiteral("txtPath"));
    auto *checker = window.findChild<TextChecker *>();
    window.findChild<BackupInUse *>()->use(folder.file(QStringLiteral("full.bin")));
    edit->setPlainText(text);
    checker->checkNow();
    for (const QDeadlineTimer deadline(20000); checker->busy() && !deadline.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (edit->check().lines.size() < 3900 || edit->check().notices.empty())
        return state.SkipWithError("the text was never marked");
    checker->setPause(24 * 3600 * 1000);
    edit->fold()->setChecked(true);
    MainWindow plainWindow;
    if (!shown(state, plainWindow))
        return;
    auto *plain = plainWindow.findChild<PatchTextEdit *>(QStringLiteral("txtPath"));
    plain->setMarked(false);
    plain->setPlainText(text);
    for (QPlainTextEdit *box : {static_cast<QPlainTextEdit *>(edit), static_cast<QPlainTextEdit *>(plain)}) {
        QTextCursor middle(box->document()->findBlockByNumber(2000));
        middle.movePosition(QTextCursor::EndOfBlock);
        box->setTextCursor(middle);
        box->centerCursor();
    }
    int round = 0;
    const int revision = edit->document()->revision();
    const auto press = [&](QPlainTextEdit *box) {
        const bool back = round % 2;
        QKeyEvent down(QEvent::KeyPress, back ? Qt::Key_Backspace : Qt::Key_5, Qt::NoModifier, back ? QString() : QStringLiteral("5"));
        QKeyEvent up(QEvent::KeyRelease, back ? Qt::Key_Backspace : Qt::Key_5, Qt::NoModifier, back ? QString() : QStringLiteral("5"));
        return secondsTaken([&] {
            QCoreApplication::sendEvent(box, &down);
            QCoreApplication::sendEvent(box, &up);
            QCoreApplication::processEvents();
        });
    };
    timeInTurns(
        state, 201,
        [&] {
            ++round;
            return press(edit);
        },
        [&] { return press(plain); });
    if (edit->document()->revision() < revision + 200 || edit->toPlainText().size() - text.size() > 1)
        state.SkipWithError("the key presses did not type");
}

} // namespace

BENCHMARK(KeyPress)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(AppendToTextBox)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(Growth)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
