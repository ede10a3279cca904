#pragma once

#include "backupmatch.h"
#include "runtime/failure.h"

#include <QString>

// A full flash is tens of MiB; anything smaller is not one.
inline constexpr qint64 smallestBackup = 1024 * 1024;

// The full-flash backup in use: only ever read, and never held open between
// checks, so the flashing tool may write it at any time.
struct Backup {
    QString path;
    qint64 size = 0;
};

// Takes `path` as the backup in use, if it is a regular file that can be read
// and is large enough to be a full flash.
Status chooseBackup(const QString &path, Backup &backup);

// Reads from the backup what the records of `readings` address. Fails when it
// is gone, unreadable, or no longer the size it had when it was chosen.
Status readBackupFor(const Backup &backup, std::span<const PatchReading *const> readings, BackupImage &image);
