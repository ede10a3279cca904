#include "entryedit.h"

#include "assembly/assembly.h"
#include "backup/editwords.h"
#include "patchformat/description.h"
#include "patchformat/header.h"
#include "patchformat/patchoverlaps.h"
#include "patchformat/scanner.h"
#include "patchformat/patchwarnings.h"
#include "runtime/textfile.h"

#include <QFileInfo>
#include <QStringList>

namespace {

// What an edit is given: the patch file's lines as an append lays them out,
// read alone as the tool reads them, its header, and where a backup is in
// use its pieces.
struct Patch {
    QStringView lines;
    PatchReading reading;
    PatchHeader header;
    std::optional<BackupImage> image;
};

// The edit of `lines`, a patch read alone, as an append gives it; `path`
// names the file they came from, or none where they are the text's own.
template <typename Edit>
EditedPatch editLines(QStringView lines, const QString &path, const std::optional<Backup> &backup, const QString &summary, Edit edit)
{
    EditedPatch edited;
    Patch patch{lines, readPatchText(lines), patchHeader(patchDescription(lines)), {}};
    if (backup) {
        const PatchReading *readings[] = {&patch.reading};
        if ((edited.backupFailure = readBackupFor(*backup, readings, patch.image.emplace())))
            return edited;
    }
    // What an append of the edited lines says is what the patch's own
    // reading says, but that a text that takes a patch off ends what it set.
    const auto [result, saidOfLines] = edit(patch);
    if (result.outcome != EditOutcome::Done && result.outcome != EditOutcome::AllHaveOldBytes) {
        edited.failure = Failure{summary, path, editReason(result, backup ? backupName(*backup) : QString())};
        return edited;
    }
    edited.appended = result.text;
    QStringList notes;
    if (result.outcome == EditOutcome::AllHaveOldBytes)
        notes += QStringLiteral("У всех записей патча %1 уже есть старые байты: он добавлен как есть.").arg(QFileInfo(path).fileName());
    if (const QString warning = appendWarning(*saidOfLines, patch.header, path); !warning.isEmpty())
        notes += warning;
    edited.note = notes.join(QStringLiteral("\n\n"));
    return edited;
}

template <typename Edit>
EditedPatch editFile(const QString &path, const std::optional<Backup> &backup, const QString &summary, Edit edit)
{
    QByteArray bytes;
    if (Status failure = readFile(path, maxPatchFileBytes, bytes)) {
        failure->summary = summary;
        return {{}, failure, {}, {}};
    }
    const QString text = appendedText(std::move(bytes));
    return editLines(fileLines(text), path, backup, summary, edit);
}

const QString takeOffSummary = QStringLiteral("Не удалось снять патч с телефона: ничего не добавлено.");

// The patch's name, else its file's.
auto takeOff(const QString &path)
{
    return [path](const Patch &patch) {
        static const PatchReading nothingLeftOn;
        const QString name = patch.header.name.isEmpty() ? QFileInfo(path).fileName() : patch.header.name;
        return std::pair(takeOffText(patch.lines, patch.reading, patch.image ? &*patch.image : nullptr, name), &nothingLeftOn);
    };
}

// The lines first..last of `text`, from 1, with their line ends.
QStringView linesOf(QStringView text, int first, int last)
{
    qsizetype from = text.size(), to = text.size(), start = 0;
    for (int line = 1; start < text.size() && line <= last; ++line) {
        if (line == first)
            from = start;
        start = lineAt(text, start).next;
        to = std::min(start, text.size());
    }
    return text.sliced(std::min(from, to), to - std::min(from, to));
}

} // namespace

EditedPatch takeOffFile(const QString &path, const std::optional<Backup> &backup)
{
    return editFile(path, backup, takeOffSummary, takeOff(path));
}

EditedPatch takeOffPatchAt(QStringView text, int line, const std::optional<Backup> &backup)
{
    const PatchLines lines = patchLinesAt(text, line);
    return editLines(linesOf(text, lines.first, lines.last), QString(), backup, takeOffSummary, takeOff(QString()));
}

EditedPatch fillFromBackup(const QString &path, const Backup &backup)
{
    return editFile(path, backup, QStringLiteral("Не удалось добавить патч со старыми байтами из копии прошивки: ничего не добавлено."),
                    [](const Patch &patch) {
                        return std::pair(fillOldBytes(patch.lines, patch.reading, *patch.image), &patch.reading);
                    });
}

EditedLine fillRecordAt(QStringView text, int line, const Backup &backup)
{
    const QString summary = QStringLiteral("Не удалось заполнить старые байты записи в строке %1 из копии прошивки.").arg(line);
    const PatchReading reading = readPatchText(text);
    const PatchReading *readings[] = {&reading};
    BackupImage image;
    EditedLine edited;
    if ((edited.backupFailure = readBackupFor(backup, readings, image)))
        return edited;
    // The whole text is read, as the tool reads it: the records above write
    // what this one finds.
    const PatchEdit result = fillOldBytes(text, reading, image, line);
    if (result.outcome != EditOutcome::Done) {
        edited.failure = Failure{summary, QString(), editReason(result, backupName(backup))};
        return edited;
    }
    edited.text = linesOf(fileLines(result.text), line, line).toString();
    edited.text.chop(edited.text.endsWith(u"\r\n") ? 2 : 0);
    return edited;
}
