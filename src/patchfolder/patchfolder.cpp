#include "patchfolder.h"

#include "runtime/foldernames.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {

Failure folderFailure(const QString &folder, const QString &reason)
{
    return {QStringLiteral("Не удалось открыть папку с патчами."), QDir::toNativeSeparators(folder), reason};
}

// The entries directly in `folder` of the kind `filter` asks for, or why it
// cannot be listed.
Status entriesOf(const QString &folder, QDir::Filters filter, QFileInfoList &entries)
{
    const QFileInfo info(folder);
    if (!info.exists())
        return folderFailure(folder, QStringLiteral("папка не найдена"));
    if (!info.isDir())
        return folderFailure(folder, QStringLiteral("это файл, а не папка"));
    if (!info.isReadable() || !info.isExecutable())
        return folderFailure(folder, QStringLiteral("нет прав доступа"));
    entries = QDir(folder).entryInfoList(filter | QDir::NoDotAndDotDot, QDir::NoSort);
    return std::nullopt;
}

Status listFiles(const QString &folder, const std::optional<Backup> &backup, FolderMemory &memory,
                 PatchFolder &listing, Status &backupFailure, const GoOn &goOn)
{
    QFileInfoList files;
    if (Status failure = entriesOf(folder, QDir::Files, files))
        return failure;
    memory.forgetAllBut(folder);
    FolderMemory::Key key;
    // The backup's file now: written since it was chosen, it is another.
    if (backup)
        key.backup = Backup(backup->path, QFileInfo(backup->path).size());
    std::vector<EntryState> states;
    std::vector<QString> unknown;
    std::vector<FolderMemory::Key> unknownKeys;
    for (const QFileInfo &file : files) {
        const QString path = QDir::toNativeSeparators(file.filePath());
        key.size = file.size();
        key.modified = file.lastModified();
        if (const EntryState *known = memory.recall(path, key)) {
            states.push_back(*known);
        } else {
            unknown.push_back(path);
            unknownKeys.push_back(key);
        }
    }
    std::vector<EntryState> read = lookAtFiles(unknown, Look::Whole, backup, backupFailure, goOn);
    if (read.size() < unknown.size())
        return std::nullopt; // stopped: nobody wants it any more
    for (std::size_t i = 0; i < read.size(); ++i) {
        // One that cannot be read now may be readable at the next look.
        if (!backupFailure && read[i].file == EntryState::File::Present)
            memory.keep(read[i].path, unknownKeys[i], read[i]);
        states.push_back(std::move(read[i]));
    }
    listing = PatchFolder{QDir::toNativeSeparators(folder), {}, 0, filesNamedOtherwise(folder), {}};
    for (EntryState &state : states) {
        if (state.notPatchText)
            ++listing.notPatches;
        else
            listing.patches.push_back(std::move(state));
    }
    std::sort(listing.patches.begin(), listing.patches.end(), [](const EntryState &a, const EntryState &b) {
        const QString nameA = patchName(a), nameB = patchName(b);
        return namedBefore(nameA, nameB) || (!namedBefore(nameB, nameA) && a.path < b.path);
    });
    return std::nullopt;
}

} // namespace

QString patchName(const EntryState &state)
{
    return state.header.name.isEmpty() ? QFileInfo(state.path).fileName() : state.header.name;
}

bool namedBefore(QStringView a, QStringView b)
{
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            // Numbers by their value: the shorter run of digits, leading
            // zeros aside, is the smaller; else the first digit that differs.
            qsizetype ei = i, ej = j;
            while (ei < a.size() && isDigit(a[ei]))
                ++ei;
            while (ej < b.size() && isDigit(b[ej]))
                ++ej;
            QStringView x = a.sliced(i, ei - i), y = b.sliced(j, ej - j);
            while (x.size() > 1 && x.front() == u'0')
                x = x.sliced(1);
            while (y.size() > 1 && y.front() == u'0')
                y = y.sliced(1);
            if (x.size() != y.size())
                return x.size() < y.size();
            if (const int order = x.compare(y); order != 0)
                return order < 0;
            i = ei;
            j = ej;
            continue;
        }
        const QChar x = a[i].toCaseFolded(), y = b[j].toCaseFolded();
        if (x != y)
            return x < y;
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

const EntryState *FolderMemory::recall(const QString &path, const Key &key) const
{
    const auto kept = m_files.constFind(path);
    return kept != m_files.cend() && kept->key == key ? &kept->state : nullptr;
}

void FolderMemory::keep(const QString &path, const Key &key, const EntryState &state)
{
    m_files.insert(path, {key, state});
}

void FolderMemory::forgetAllBut(const QString &folder)
{
    if (folder == m_folder)
        return;
    m_files.clear();
    m_folder = folder;
}

Status listPatchFolder(const QString &folder, const std::optional<Backup> &backup, FolderMemory &memory,
                       PatchFolder &listing, Status &backupFailure, const GoOn &goOn)
{
    if (Status failure = listFiles(folder, backup, memory, listing, backupFailure, goOn))
        return failure;
    if (!listing.patches.empty() || (goOn && !goOn()))
        return std::nullopt;
    // The whole collection chosen by mistake: one folder for each phone and firmware.
    QFileInfoList folders;
    if (Status failure = entriesOf(folder, QDir::Dirs, folders))
        return failure;
    QStringList phoneFolders;
    for (const QFileInfo &subfolder : folders) {
        const std::optional<PhoneFirmware> named = phoneFirmware(subfolder.fileName());
        if (named && *named == thisPhone())
            return listFiles(subfolder.filePath(), backup, memory, listing, backupFailure, goOn);
        if (named)
            phoneFolders += subfolder.fileName();
    }
    std::sort(phoneFolders.begin(), phoneFolders.end(), [](const QString &a, const QString &b) { return namedBefore(a, b); });
    listing.phoneFolders = phoneFolders;
    return std::nullopt;
}
