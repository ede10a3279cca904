#include "entryedit.h"

#include "assembly/assembly.h"
#include "backup/editwords.h"
#include "patchformat/description.h"
#include "patchformat/header.h"
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

template <typename Edit>
EditedPatch editFile(const QString &path, const std::optional<Backup> &backup, const QString &summary, Edit edit)
{
    EditedPatch edited;
    QByteArray bytes;
    if (Status failure = readFile(path, maxPatchFileBytes, bytes)) {
        failure->summary = summary;
        edited.failure = failure;
        return edited;
    }
    const QString text = appendedText(std::move(bytes));
    Patch patch{fileLines(text), readPatchText(fileLines(text)), patchHeader(patchDescription(fileLines(text))), {}};
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

} // namespace

EditedPatch takeOffFile(const QString &path, const std::optional<Backup> &backup)
{
    static const PatchReading nothingLeftOn;
    return editFile(path, backup, QStringLiteral("Не удалось снять патч с телефона: ничего не добавлено."), [&](const Patch &patch) {
        const QString name = patch.header.name.isEmpty() ? QFileInfo(path).fileName() : patch.header.name;
        return std::pair(takeOffText(patch.lines, patch.reading, patch.image ? &*patch.image : nullptr, name), &nothingLeftOn);
    });
}

EditedPatch fillFromBackup(const QString &path, const Backup &backup)
{
    return editFile(path, backup, QStringLiteral("Не удалось добавить патч со старыми байтами из копии прошивки: ничего не добавлено."),
                    [](const Patch &patch) {
                        return std::pair(fillOldBytes(patch.lines, patch.reading, *patch.image), &patch.reading);
                    });
}
