#pragma once

#include "backup/backupfile.h"
#include "patchformat/header.h"
#include "runtime/failure.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <span>
#include <vector>

// What a patch file is, as a list shows it: whether it can be added, what the
// patch says of itself, and, while a backup is in use, how it stands against
// it. The twenty of the catalogue and the files of a folder alike.
struct EntryState {
    QString path;
    enum class File { Present, Missing, NotReadable };
    File file = File::Present;
    QString reason;          // NotReadable: why, in the words an append gives
    QStringList description; // what the patch says of itself: its first comments
    PatchHeader header;
    // Read whole: whether it is a patch text at all, with no NUL byte and a
    // record at least. Why not, where it is not.
    std::optional<QString> notPatchText;
    std::optional<PatchState> backup;
    QString backupWords;

    bool operator==(const EntryState &) const = default;
};

// How much of each file a look reads.
enum class Look {
    Start, // its first 64 KiB, for what it says of itself: cheap enough for every start
    Whole, // all of it, to tell a patch text from any other file
};

// Each file, in the order given. With a backup, each is read whole and
// matched against it; when the backup itself fails, that comes back and no
// state has a part of it.
std::vector<EntryState> lookAtFiles(std::span<const QString> paths, Look look, const std::optional<Backup> &backup,
                                    Status &backupFailure);

// Why the file is no patch text (a NUL byte, no record, or why it cannot be
// read), or nothing when it is one. Stops at the first NUL byte: a full flash
// is not read whole.
std::optional<QString> notPatchTextReason(const QString &path);

// Whether the file's name goes into what the user reads about it: always
// (a file of a folder), or where the patch says nothing of itself.
enum class FileName { Always, WhereSilent };

// What the user reads about an entry: where its missing file goes, why it
// cannot be read, or that it was written for another phone, its state
// against the backup and what the patch says of itself.
QString entryAbout(const EntryState &state, FileName fileName = FileName::WhereSilent);
