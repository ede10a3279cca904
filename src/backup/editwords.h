#pragma once

#include "backupedit.h"

// What an edit that was not made says, for the user: the reason after the
// file's name, in the words of the check.

// Why taking a patch off or filling in its old bytes appends nothing.
QString editReason(const PatchEdit &edit, const QString &backupName);

// Why no copy after a flash is written: the lines the tool would not write.
QString copyReason(const std::vector<RecordFault> &faults, const QString &backupName);
