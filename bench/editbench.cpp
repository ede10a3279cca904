// Both ways: the copy after a flash, a 64 MiB backup with a text of 4,000
// lines written into it and saved, against copying the file the way the
// program writes every file; and taking off, or filling in from the backup,
// a hundred patches of 500 records each, against appending them; and the
// text of 4,000 lines checked again after an edit of one of its lines, as
// while the person types, against the whole check before a hand-over.
#include "stopwatch.h"

#include "assembly/assembly.h"
#include "backup/backupcopy.h"
#include "entries/entryedit.h"
#include "patchformat/description.h"
#include "patchformat/header.h"
#include "patchformat/patchwarnings.h"
#include "textcheck/textcheck.h"
#include "support/programfolder.h"

#include <QFile>
#include <QSaveFile>
#include <benchmark/benchmark.h>

namespace {

constexpr qint64 backupBytes = 64 * 1024 * 1024;
constexpr int editedPatches = 100;
constexpr int recordsPerPatch = 500;
constexpr qint64 recordSpacing = 16;

void write(const QString &path, QByteArrayView bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), bytes.size()) != bytes.size() || !file.commit())
        qFatal("cannot write %s", qPrintable(path));
}

// The flash's made-up byte at `at`.
char flashByte(qint64 at)
{
    return char((at * 7) ^ (at >> 12));
}

// A hundred made-up patches in the collection's layout, each its records of
// four bytes 16 apart in a stretch of its own, near one another as the
// check's figures lay theirs out: with both fields, their new bytes already
// in the backup (to take off), or with new bytes alone, not yet there (to
// fill in).
QByteArray madeUpPatch(int p, bool onPhone)
{
    QByteArray text = ";CX70v50\r\n;\xCF\xE0\xF2\xF7 " + QByteArray::number(p) + "\r\n;Patch " + QByteArray::number(p)
                      + "\r\n;PatchID: " + QByteArray::number(2000 + p) + "\r\n";
    const qint64 first = 0x200000 + qint64(p) * 0x10000 + (onPhone ? 0 : 0x8000);
    for (int r = 0; r < recordsPerPatch; ++r) {
        const qint64 at = first + recordSpacing * r;
        char line[64];
        QByteArray old, now;
        for (int i = 0; i < 4; ++i) {
            old += flashByte(at + i);
            now += char(~flashByte(at + i));
        }
        const int length = onPhone ? qsnprintf(line, sizeof line, "%08llX: %s %s ; %d\r\n", at, old.toHex().toUpper().constData(),
                                               now.toHex().toUpper().constData(), r)
                                   : qsnprintf(line, sizeof line, "%08llX: %s ; %d\r\n", at, now.toHex().toUpper().constData(), r);
        text += QByteArrayView(line, length);
    }
    return text + ";------------------------- end -------------------------\r\n";
}

// The backup: each patch to take off already written in it.
void writeBackup(const QString &path)
{
    QByteArray flash(backupBytes, Qt::Uninitialized);
    for (qint64 i = 0; i < backupBytes; ++i)
        flash[i] = flashByte(i);
    for (int p = 0; p < editedPatches; ++p) {
        const qint64 first = 0x200000 + qint64(p) * 0x10000;
        for (int r = 0; r < recordsPerPatch; ++r) {
            for (int i = 0; i < 4; ++i)
                flash[first + recordSpacing * r + i] = char(~flashByte(first + recordSpacing * r + i));
        }
    }
    write(path, flash);
}

// The backup, written at `path` and chosen.
Backup madeUpBackup(const QString &path)
{
    writeBackup(path);
    Backup backup;
    if (const Status failure = chooseBackup(path, backup))
        qFatal("%s", qPrintable(failure->message()));
    return backup;
}

// The window's append: the file, and what is said of it read alone.
void append(PatchTextHolder &holder, const QString &path)
{
    QString added;
    if (Status failure = AppendPatchFile(holder, path, maxPatchFileBytes, &added))
        qFatal("%s", qPrintable(failure->message()));
    const QStringView lines = fileLines(added);
    benchmark::DoNotOptimize(appendWarning(readPatchText(lines, RecordBytes::Counted), patchHeader(patchDescription(lines)), path));
}

// Taking off (or filling in) every patch of `paths`, each appended as the
// window appends it, against appending them.
template <typename Edit>
void editAgainstAppend(benchmark::State &state, bool onPhone, Edit edit)
{
    const ProgramFolder folder;
    const Backup backup = madeUpBackup(folder.file(QStringLiteral("full.bin")));
    std::vector<QString> paths;
    for (int p = 0; p < editedPatches; ++p) {
        paths.push_back(folder.file(QStringLiteral("%1-made_up.vkp").arg(p)));
        write(paths.back(), madeUpPatch(p, onPhone));
    }
    timeInTurns(
        state, 41,
        [&] {
            PlainTextHolder holder;
            return secondsTaken([&] {
                for (const QString &path : paths) {
                    const EditedPatch edited = edit(path, backup);
                    if (edited.failure || edited.backupFailure || edited.appended.isEmpty())
                        qFatal("%s", qPrintable(edited.failure ? edited.failure->message() : QStringLiteral("nothing appended")));
                    holder.append(edited.appended);
                }
            });
        },
        [&] {
            PlainTextHolder holder;
            return secondsTaken([&] {
                for (const QString &path : paths)
                    append(holder, path);
            });
        });
}

void TakeOff(benchmark::State &state)
{
    editAgainstAppend(state, true, [](const QString &path, const Backup &backup) { return takeOffFile(path, backup); });
}

void FillIn(benchmark::State &state)
{
    editAgainstAppend(state, false, [](const QString &path, const Backup &backup) { return fillFromBackup(path, backup); });
}

// A text of 4,000 lines: ten patches of 400 lines across the flash, each
// with its header, an offset and a pragma it ends, its records fitting the
// backup.
QString flashedText()
{
    QString text;
    for (int p = 0; p < 10; ++p) {
        text += QStringLiteral("\r\n;CX70v50\r\n;Патч %1\r\n+100000\r\n#pragma disable warn_if_new_exist_on_apply\r\n").arg(p);
        for (int r = 0; r < 393; ++r) {
            const qint64 at = 0x1000000 + qint64(p) * 0x300000 + qint64(r) * 0x1000;
            QByteArray old;
            for (int i = 0; i < 4; ++i)
                old += flashByte(at + i);
            text += QStringLiteral("%1: %2 CAFEBABE ; %3\r\n")
                        .arg(at - 0x100000, 8, 16, QChar(u'0'))
                        .arg(QString::fromLatin1(old.toHex().toUpper()))
                        .arg(r);
        }
        text += QStringLiteral("#pragma enable warn_if_new_exist_on_apply\r\n+0\r\n");
    }
    return text;
}

// The copy after a flash: the text read, the backup read whole and written
// into, the copy saved; against reading the backup whole and saving it as
// the program saves every file (QSaveFile, synced, renamed over the old).
void CopyAfterFlash(benchmark::State &state)
{
    const ProgramFolder folder;
    const Backup backup = madeUpBackup(folder.file(QStringLiteral("full.bin")));
    const QString text = flashedText();
    const QString copyPath = folder.file(QStringLiteral("after.bin"));
    timeInTurns(
        state, 21,
        [&] {
            return secondsTaken([&] {
                FlashedCopy copy;
                Status failure = flashedCopy(backup, readPatchText(text), copy);
                if (!failure)
                    failure = copy.refused;
                if (!failure)
                    failure = saveFlashedCopy(copyPath, copy.bytes);
                if (failure)
                    qFatal("%s", qPrintable(failure->message()));
            });
        },
        [&] {
            return secondsTaken([&] {
                QFile file(backup.path);
                if (!file.open(QIODevice::ReadOnly))
                    qFatal("cannot read the backup");
                write(copyPath, file.readAll());
            });
        });
}

// One record's new bytes typed over, in the middle of the text, and typed
// back, by turns: a check that keeps what it read.
void CheckAfterAnEdit(benchmark::State &state)
{
    const ProgramFolder folder;
    const Backup backup = madeUpBackup(folder.file(QStringLiteral("full.bin")));
    const QString text = flashedText();
    QString edited = text;
    edited.replace(text.indexOf(QStringLiteral("CAFEBABE"), text.size() / 2), 8, QStringLiteral("CAFEBABF"));
    LiveCheck live;
    live.check(text, backup);
    bool typed = false;
    timeInTurns(
        state, 41,
        [&] {
            typed = !typed;
            const QString &now = typed ? edited : text;
            return secondsTaken([&] {
                const TextCheck check = live.check(now, backup);
                if (check.backupFailure || check.lines.size() != 3930)
                    qFatal("the text was not checked against the backup");
            });
        },
        [&] {
            return secondsTaken([&] {
                const PatchReading reading = readPatchText(text);
                std::vector<WarningItem> items;
                if (const Status failure = checkAgainstBackup(backup, reading, items))
                    qFatal("%s", qPrintable(failure->message()));
                benchmark::DoNotOptimize(handoverWarning(text, reading, items));
            });
        });
}

} // namespace

BENCHMARK(CheckAfterAnEdit)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(CopyAfterFlash)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(TakeOff)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(FillIn)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
