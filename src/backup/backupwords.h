#pragma once

#include "flashmodel.h"
#include "patchformat/patchwarnings.h"

// What a check against the backup called `backupName` says, for the user.

// An entry's state, for its tooltip and its description for screen readers.
QString patchStateWords(const PatchReading &reading, const PatchMatch &match, const BackupImage &backup,
                        const QString &backupName);

// One record's line against the backup, in the state the model gives it:
// the state, and what it expects, writes and finds there.
QString recordWords(const PatchReading &reading, const PatchRecord &record, RecordState state, const BackupImage &backup,
                    const QString &backupName);

// Before a hand-over: each run of records that do not fit the backup, with
// the bytes the first expects and those found, of records already applied,
// and of records past the backup's end.
std::vector<WarningItem> backupWarnings(const PatchReading &reading, const PatchMatch &match,
                                        const BackupImage &backup, const QString &backupName);
