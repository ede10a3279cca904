#pragma once

#include "patchreader.h"

// The same reading with every line read in full, the plainest records too:
// what the quick reading of those lines must agree with.
PatchReading readPatchTextInFull(QStringView text, RecordBytes bytes = RecordBytes::Kept);
