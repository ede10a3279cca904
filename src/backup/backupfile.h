#pragma once

#include "flashmodel.h"
#include "patchformat/patchwarnings.h"
#include "runtime/failure.h"

#include <QDateTime>
#include <QFileInfo>
#include <QString>

// A full flash is tens of MiB; anything smaller is not one.
inline constexpr qint64 smallestBackup = 1024 * 1024;

// The full-flash backup in use: only ever read, and never held open between
// checks, so the flashing tool may write it at any time. Which backup it is
// is its file, its size and its time as it was taken: a file saved over it,
// of the same size or not, is another backup.
struct Backup {
    QString path;
    qint64 size = 0;
    QDateTime modified;

    Backup() = default;
    // The file at `path`, `size` bytes long, as it is now.
    Backup(QString path, qint64 size) : path(std::move(path)), size(size), modified(QFileInfo(this->path).lastModified()) {}

    bool operator==(const Backup &) const = default;
};

// Takes `path` as the backup in use, if it is a regular file that can be read
// and is large enough to be a full flash.
Status chooseBackup(const QString &path, Backup &backup);

// The backup's name as the words quote it.
QString backupName(const Backup &backup);

// Reads from the backup what the records of `readings` address. Fails when it
// is gone, unreadable, or no longer the size it had when it was chosen.
Status readBackupFor(const Backup &backup, std::span<const PatchReading *const> readings, BackupImage &image);

// What the box before a hand-over of a text, read as `reading`, must say of
// the backup: records that do not fit it, are applied or lie past its end.
// When the backup no longer reads, that nothing was handed over is said too.
Status checkAgainstBackup(const Backup &backup, const PatchReading &reading, std::vector<WarningItem> &items);
