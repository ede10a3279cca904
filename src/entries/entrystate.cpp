#include "entrystate.h"

#include "assembly/assembly.h"
#include "backup/backupwords.h"
#include "patchformat/description.h"
#include "runtime/codepage.h"
#include "runtime/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace {

// Files read whole are matched against the backup this many at a time: one
// open of it for each, and never all their readings held at once.
constexpr std::size_t batchFiles = 256;

QString nulByteReason()
{
    return QStringLiteral("в нём есть нулевой байт, как в копии прошивки, а в тексте патча его не бывает");
}

QString noRecordReason()
{
    return QStringLiteral("в нём нет ни одной записи «адрес: байты»");
}

QString notReadableWords(const QString &fileName, const QString &reason)
{
    return QStringLiteral("Не удалось прочитать %1: %2.").arg(fileName, reason);
}

// What a file that cannot be read is, in the words an append would give.
void cannotRead(EntryState &state, const Failure &failure)
{
    const QFileInfo file(state.path);
    if (!file.exists() && !file.isSymLink()) {
        state.file = EntryState::File::Missing;
        return;
    }
    state.file = EntryState::File::NotReadable;
    state.reason = failure.reason;
    // No patch is that large: a full flash, perhaps.
    if (file.isFile() && file.size() > maxPatchFileBytes)
        state.notPatchText = failure.reason;
}

// What the patch says of itself, from the start of its text.
void describe(EntryState &state, QStringView text)
{
    state.description = patchDescription(text);
    state.header = patchHeader(patchDescription(text, nameLength));
}

// Whether the file can be read whole, as an append would, and what it says of
// itself, from its start: one open, and only its start read.
void lookAtStart(EntryState &state)
{
    QByteArray bytes;
    if (const Status failure = readFileStart(state.path, descriptionBytes, maxPatchFileBytes, bytes))
        return cannotRead(state, *failure);
    describe(state, decodeCodePage(bytes));
}

// The file as the tool will read it once appended; its bytes are kept where
// a backup compares them.
void lookAtWhole(EntryState &state, RecordBytes bytesKept, PatchReading &reading)
{
    QByteArray bytes;
    if (const Status failure = readFile(state.path, maxPatchFileBytes, bytes))
        return cannotRead(state, *failure);
    const bool nul = bytes.contains('\0');
    const QString text = appendedText(std::move(bytes));
    reading = readPatchText(fileLines(text), bytesKept);
    describe(state, fileLines(text));
    // Some patches of the collection write nothing until the user edits
    // them; their header tells them from any other text.
    if (nul)
        state.notPatchText = nulByteReason();
    else if (reading.records.empty() && !state.header.target)
        state.notPatchText = noRecordReason();
    else
        state.writesNothing = reading.records.empty();
}

void matchAgainst(const Backup &backup, std::span<EntryState> states, std::span<const PatchReading> readings,
                  Status &backupFailure)
{
    std::vector<const PatchReading *> read;
    for (std::size_t i = 0; i < states.size(); ++i) {
        if (states[i].file == EntryState::File::Present)
            read.push_back(&readings[i]);
    }
    BackupImage image;
    backupFailure = readBackupFor(backup, read, image);
    if (backupFailure)
        return;
    for (std::size_t i = 0; i < states.size(); ++i) {
        if (states[i].file != EntryState::File::Present)
            continue;
        const PatchMatch match = matchPatch(readings[i], image);
        states[i].againstBackup = match.state;
        states[i].backupWords = patchStateWords(readings[i], match, image, backupName(backup));
    }
}

} // namespace

std::vector<EntryState> lookAtFiles(std::span<const QString> paths, Look look, const std::optional<Backup> &backup,
                                    Status &backupFailure, const GoOn &goOn)
{
    backupFailure.reset();
    std::vector<EntryState> states;
    states.reserve(paths.size());
    for (std::size_t first = 0; first < paths.size(); first += batchFiles) {
        const std::size_t count = std::min(batchFiles, paths.size() - first);
        std::vector<PatchReading> readings(count);
        for (std::size_t i = 0; i < count; ++i) {
            if (goOn && !goOn())
                return states;
            EntryState &state = states.emplace_back();
            state.path = paths[first + i];
            if (look == Look::Whole || backup)
                lookAtWhole(state, backup ? RecordBytes::Kept : RecordBytes::Counted, readings[i]);
            else
                lookAtStart(state);
        }
        if (backup && !backupFailure)
            matchAgainst(*backup, std::span(states).subspan(first, count), readings, backupFailure);
    }
    if (backupFailure) {
        for (EntryState &state : states) {
            state.againstBackup.reset();
            state.backupWords.clear();
        }
    }
    return states;
}

std::optional<QString> notPatchTextReason(const QString &path)
{
    // A full flash shows a NUL byte soon: only a file with none is read whole.
    QFile file(path);
    if (const std::optional<QString> reason = openRegularFile(file))
        return reason;
    char chunk[64 * 1024];
    for (qint64 got; (got = file.read(chunk, sizeof chunk)) > 0;) {
        if (std::memchr(chunk, 0, std::size_t(got)))
            return nulByteReason();
    }
    file.close();
    Status failure;
    const std::vector<EntryState> states = lookAtFiles(std::span(&path, 1), Look::Whole, std::nullopt, failure);
    if (states.front().file != EntryState::File::Present)
        return states.front().file == EntryState::File::Missing ? QStringLiteral("файл не найден") : states.front().reason;
    return states.front().notPatchText;
}

QString entryAbout(const EntryState &state, Listed listed)
{
    const QFileInfo file(state.path);
    switch (state.file) {
    case EntryState::File::Missing:
        if (listed == Listed::Folder) {
            return QStringLiteral("Файла %1 больше нет в папке\n%2\nЕго удалили или переименовали, после того как папка была прочитана.")
                .arg(file.fileName(), QDir::toNativeSeparators(file.path()));
        }
        return QStringLiteral("Файла %1 нет в папке программы\n%2\nПоложите его туда, и патч можно будет добавить.")
            .arg(file.fileName(), QDir::toNativeSeparators(file.path()));
    case EntryState::File::NotReadable:
        return notReadableWords(file.fileName(), state.reason);
    case EntryState::File::Present:
        break;
    }
    QStringList parts;
    // Where the backup has a verdict, it is the truth of this phone, and the
    // header is only said.
    if (state.header.forAnotherPhone() && state.againstBackup && *state.againstBackup != PatchState::NoRecords) {
        parts += QStringLiteral("Патч написан для %1, а эта программа — для %2.").arg(state.header.target->text(), thisPhone().text());
    } else if (state.header.forAnotherPhone()) {
        parts += QStringLiteral("Патч написан для %1, а эта программа — для %2:\nпроверьте, подходит ли он к прошивке телефона.")
                     .arg(state.header.target->text(), thisPhone().text());
    }
    if (state.writesNothing) {
        parts += QStringLiteral("Патч в таком виде ничего не меняет: его записи закомментированы или ждут значений.\n"
                                "Прочтите его описание и поправьте текст перед прошивкой.");
    }
    else if (!state.backupWords.isEmpty())
        parts += state.backupWords;
    if (!state.description.isEmpty()) {
        // The name whole, where the description cut it.
        QStringList description = state.description;
        for (QString &line : description) {
            if (line.endsWith(u'…') && state.header.name.size() >= line.size() && state.header.name.startsWith(line.chopped(1))) {
                line = state.header.name;
                break;
            }
        }
        parts += description.join(u'\n');
    }
    if (state.description.isEmpty() || listed == Listed::Folder)
        parts += listed == Listed::Folder ? QStringLiteral("Файл: %1").arg(file.fileName()) : file.fileName();
    return parts.join(QStringLiteral("\n\n"));
}
