#pragma once

#include "backupfile.h"

// The phone's flash as it will be after a flash: the backup in use with a
// whole text written into it, kept as a new backup.

struct FlashedCopy {
    QByteArray bytes;
    Status refused; // the tool would not write the text as it stands: which lines, and why
};

// Reads the backup whole and writes the records of the text read as
// `reading` into it, as the tool will. Fails when the backup no longer reads
// as it did when it was chosen.
Status flashedCopy(const Backup &backup, const PatchReading &reading, FlashedCopy &copy);

// Writes the copy to `path`, complete or not at all.
Status saveFlashedCopy(const QString &path, QByteArrayView bytes);
