#pragma once

#include "backup/backupfile.h"
#include "runtime/failure.h"

#include <QString>
#include <optional>

// A patch file appended otherwise than as it stands: taken off the phone, or
// with the old bytes the backup holds.
struct EditedPatch {
    QString appended;     // as an append adds it: CR LF, then each line and CR LF; empty where nothing is
    Status failure;       // why nothing is appended: the patch's file and the reason
    Status backupFailure; // the backup no longer reads: nothing is appended, and it is to be used no more
    QString note;         // what the user should know besides, as after an append
};

// What takes the patch of `path` off the phone; with a backup, only what of
// it the backup holds.
EditedPatch takeOffFile(const QString &path, const std::optional<Backup> &backup);

// What takes off the phone the patch of the collection that `line` of the
// patch text `text` stands in, read alone, as a take-off of its file does.
EditedPatch takeOffPatchAt(QStringView text, int line, const std::optional<Backup> &backup);

// The patch of `path` with the old bytes its records lack taken from the backup.
EditedPatch fillFromBackup(const QString &path, const Backup &backup);

// A line of the patch text written otherwise.
struct EditedLine {
    QString text; // without its line end; empty where it is not
    Status failure;
    Status backupFailure;
};

// The record at `line` of `text` with the old bytes the flash holds when the
// tool comes to it, those above it written.
EditedLine fillRecordAt(QStringView text, int line, const Backup &backup);
