#include "entrystate.h"

#include "assembly/assembly.h"
#include "backup/backupwords.h"
#include "patchformat/description.h"
#include "runtime/codepage.h"
#include "runtime/textfile.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Whether the file can be added, in the words an append would give: opened,
// not read, which is cheap enough for every start.
EntryState lookAt(Category category, int index)
{
    EntryState state;
    state.category = category;
    state.index = index;
    const QString path = PatchFilePath(category, index);
    const QFileInfo file(path);
    if (!file.exists() && !file.isSymLink()) {
        state.file = EntryState::File::Missing;
    } else if (const Status failure = checkReadable(path, maxPatchFileBytes)) {
        state.file = EntryState::File::NotReadable;
        state.reason = failure->reason;
    }
    return state;
}

QString notReadableWords(const QString &fileName, const QString &reason)
{
    return QStringLiteral("Не удалось прочитать %1: %2.").arg(fileName, reason);
}

// What a patch says of itself, from the first 64 KiB of its file.
Status readDescription(const QString &path, QStringList &lines)
{
    QByteArray bytes;
    if (Status failure = readFileStart(path, descriptionBytes, bytes))
        return failure;
    lines = patchDescription(decodeCodePage(bytes));
    return std::nullopt;
}

// The file as the tool will read it once appended.
Status readPatch(const EntryState &state, PatchReading &reading)
{
    QByteArray bytes;
    if (Status failure = readFile(PatchFilePath(state.category, state.index), maxPatchFileBytes, bytes))
        return failure;
    reading = readPatchText(fileLines(appendedText(std::move(bytes))));
    return std::nullopt;
}

} // namespace

std::vector<EntryState> lookAtEntries()
{
    std::vector<EntryState> states;
    for (const PatchCategory &category : patchCatalogue()) {
        for (int index = 0; index < int(category.entries.size()); ++index)
            states.push_back(lookAt(category.category, index));
    }
    return states;
}

std::vector<EntryState> lookAtEntries(const Backup &backup, Status &backupFailure)
{
    std::vector<EntryState> states = lookAtEntries();
    std::vector<PatchReading> readings(states.size());
    std::vector<const PatchReading *> read;
    for (std::size_t i = 0; i < states.size(); ++i) {
        if (states[i].file != EntryState::File::Present)
            continue;
        if (const Status failure = readPatch(states[i], readings[i])) {
            states[i].file = EntryState::File::NotReadable;
            states[i].reason = failure->reason;
        } else {
            read.push_back(&readings[i]);
        }
    }
    BackupImage image;
    backupFailure = readBackupFor(backup, read, image);
    if (backupFailure)
        return states;
    for (std::size_t i = 0; i < states.size(); ++i) {
        if (states[i].file != EntryState::File::Present)
            continue;
        const PatchMatch match = matchPatch(readings[i], image);
        states[i].backup = match.state;
        states[i].backupWords = patchStateWords(readings[i], match, image, backupName(backup));
    }
    return states;
}

QString entryAbout(const EntryState &state)
{
    const QFileInfo file(PatchFilePath(state.category, state.index));
    switch (state.file) {
    case EntryState::File::Missing:
        return QStringLiteral("Файла %1 нет в папке программы\n%2\nПоложите его туда, и патч можно будет добавить.")
            .arg(file.fileName(), QDir::toNativeSeparators(file.path()));
    case EntryState::File::NotReadable:
        return notReadableWords(file.fileName(), state.reason);
    case EntryState::File::Present:
        break;
    }
    QString about = state.backupWords.isEmpty() ? QString() : state.backupWords + QStringLiteral("\n\n");
    QStringList lines;
    if (const Status failure = readDescription(file.filePath(), lines))
        return about + notReadableWords(file.fileName(), failure->reason);
    return about + (lines.isEmpty() ? file.fileName() : lines.join(u'\n'));
}
