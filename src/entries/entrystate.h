#pragma once

#include "backup/backupfile.h"
#include "patchformat/header.h"
#include "runtime/failure.h"

#include <QString>
#include <QStringList>
#include <functional>
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
    // Read whole: whether it is a patch text at all, with no NUL byte, and
    // a record or the header of a patch of the collection. Why not, where
    // it is not.
    std::optional<QString> notPatchText;
    // Read whole: a patch of the collection that writes nothing as it
    // stands, its records left commented out or waiting for values.
    bool writesNothing = false;
    std::optional<PatchState> againstBackup;
    QString backupWords;

    bool operator==(const EntryState &) const = default;
};

// How much of each file a look reads.
enum class Look {
    Start, // its first 64 KiB, for what it says of itself: cheap enough for every start
    Whole, // all of it, to tell a patch text from any other file
};

// Asked before each file is read: false stops the look, and what it found
// is worth nothing.
using GoOn = std::function<bool()>;

// Each file, in the order given. With a backup, each is read whole and
// matched against it; when the backup itself fails, that comes back and no
// state has a part of it.
std::vector<EntryState> lookAtFiles(std::span<const QString> paths, Look look, const std::optional<Backup> &backup,
                                    Status &backupFailure, const GoOn &goOn = {});

// Why the file is no patch text (a NUL byte, no record, or why it cannot be
// read), or nothing when it is one. Stops at the first NUL byte: a full flash
// is not read whole.
std::optional<QString> notPatchTextReason(const QString &path);

// Where an entry is listed: one of the twenty, whose files belong in the
// program's folder, or a file of a folder the user chose, always named.
enum class Listed { Catalogue, Folder };

// What the user reads about an entry: where its missing file goes, why it
// cannot be read, or that it was written for another phone, that it writes
// nothing as it stands, its state against the backup and what the patch
// says of itself.
QString entryAbout(const EntryState &state, Listed listed = Listed::Catalogue);
