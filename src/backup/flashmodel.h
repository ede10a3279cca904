#pragma once

#include "backupmatch.h"
#include "patchformat/recordsmeet.h"

#include <optional>
#include <vector>

// The flash as the tool writes a text into it: top to bottom, each record
// checked against the flash as the records above it left it, then written.
// The marks, the check before a hand-over, the copy after a flash, the
// take-off and the fill all ask this, and nothing else decides whether a
// record fits.

// Unchanged: the backup holds what the text both finds and leaves there, so
// the record tells nothing either way. Rewritten: it expects other bytes
// than those an earlier record of the same text left, which no flash can
// hold.
enum class RecordState { Applied, Fits, Unchanged, DoesNotFit, Outside, Rewritten };

// A patch against the backup: applied, not applied but fitting, partly
// applied, written for another firmware, reaching past the backup's end, or
// at odds with itself.
enum class PatchState { NoRecords, Applied, NotApplied, PartlyApplied, DoesNotFit, Outside, Contradictory };

struct PatchMatch {
    PatchState state = PatchState::NoRecords;
    std::vector<RecordState> records; // in the order of the text
    // Where the state is DoesNotFit, Outside or Contradictory: the first such record.
    std::optional<std::size_t> atFault;
    // Each Rewritten record, with the earlier one it is at odds with.
    std::vector<RecordMeeting> contradictions;
    bool shared = false; // some records touch a byte in common
};

// A patch finds, at each byte, what the first of its records to touch it
// expects, and leaves what the last one writes there. A record is applied
// where the backup holds what the text leaves over its bytes, and fits
// where it holds what the text finds (a placeholder matches any byte; where
// nothing is expected, where the bytes left are not there yet).
PatchMatch matchPatch(const PatchReading &reading, const BackupImage &backup);

// Whether a record in this state keeps the text from being written as it
// stands.
bool atFault(RecordState state);

// The flash as the text leaves it: each record's new bytes written in the
// order of the text, a later record over an earlier one. Records outside the
// pieces of `flash` are left out.
void writeText(const PatchReading &reading, BackupImage &flash);
