#include "entryedit.h"

#include "assembly/assembly.h"
#include "backup/editwords.h"
#include "patchformat/description.h"
#include "patchformat/header.h"
#include "runtime/textfile.h"

#include <QFileInfo>

namespace {

// The patch file as an append lays it out, and read alone as the tool reads
// it; then edited by `edit`, given the backup's pieces where one is in use.
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
    const QStringView lines = fileLines(text);
    const PatchReading reading = readPatchText(lines);
    BackupImage image;
    std::optional<PatchMatch> match;
    if (backup) {
        const PatchReading *readings[] = {&reading};
        if ((edited.backupFailure = readBackupFor(*backup, readings, image)))
            return edited;
        match = matchPatch(reading, image);
    }
    const PatchEdit patch = edit(lines, reading, match ? &*match : nullptr, image);
    if (patch.outcome == EditOutcome::Done || patch.outcome == EditOutcome::AllHaveOldBytes)
        edited.appended = QStringLiteral("\r\n") + patch.text;
    else
        edited.failure = Failure{summary, path, editReason(patch, backup ? backupName(*backup) : QString())};
    if (patch.outcome == EditOutcome::AllHaveOldBytes)
        edited.note = QStringLiteral("У всех записей патча %1 уже есть старые байты: он добавлен как есть.")
                          .arg(QFileInfo(path).fileName());
    return edited;
}

} // namespace

EditedPatch takeOffFile(const QString &path, const std::optional<Backup> &backup)
{
    return editFile(path, backup, QStringLiteral("Не удалось снять патч с телефона: ничего не добавлено."),
                    [&](QStringView lines, const PatchReading &reading, const PatchMatch *match, const BackupImage &) {
                        const QString name = patchHeader(patchDescription(lines)).name;
                        return takeOffText(lines, reading, match, name.isEmpty() ? QFileInfo(path).fileName() : name);
                    });
}

EditedPatch fillFromBackup(const QString &path, const Backup &backup)
{
    return editFile(path, backup, QStringLiteral("Не удалось добавить патч со старыми байтами из копии прошивки: ничего не добавлено."),
                    [](QStringView lines, const PatchReading &reading, const PatchMatch *match, const BackupImage &image) {
                        return fillOldBytes(lines, reading, *match, image);
                    });
}
