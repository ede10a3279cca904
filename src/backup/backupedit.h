#pragma once

#include "flashmodel.h"

#include <QString>
#include <vector>

// Both ways: a patch taken off the phone, a patch given the old bytes the
// backup holds, and a text written into the backup as the flashing tool
// writes it. The same records and the same matching as the check.

// Why a record keeps an edit from being made.
enum class EditFault {
    NoOldBytes,       // taking off: nothing to write back
    PlaceholderInOld, // taking off: old bytes still to be filled in
    UndoOff,          // taking off: read while the undo pragma was off
    AlreadyWritten,   // filling in: the backup holds its new bytes, not those before
    Rewritten,        // it expects other bytes than an earlier record of the text left
    DoesNotFit,       // neither its old nor its new bytes in the backup
    Outside,          // past the backup's end
    Unreadable,       // a line the tool cannot read, or may read otherwise
    NotGivenBack,     // the edit, read back as the tool reads it, would not write what it must here
};

struct RecordFault {
    EditFault fault;
    int line;
    // Rewritten: the earlier record's line, and whether it wrote the bytes or only expects them.
    int earlierLine = 0;
    bool earlierWrote = true;

    bool operator==(const RecordFault &) const = default;
};

enum class EditOutcome {
    Done,
    NoRecords,
    NothingOnPhone,  // taking off with a backup: none of its records is there
    AllHaveOldBytes, // filling in: the text is the patch as it stands
    Refused,         // the faults say why
};

struct PatchEdit {
    EditOutcome outcome = EditOutcome::Done;
    QString text; // the patch's lines, edited, as an append adds them: CR LF, then each line and CR LF
    std::vector<RecordFault> faults; // in the order of their lines
};

// The text that takes the patch `text`, read as `reading`, off the phone.
// Where no two of the records taken off write a byte in common: a comment
// line that says so, then the patch's lines with each record's two fields
// swapped, every other line as it stands, so that offsets and pragmas stay
// in force where they were; and what the patch leaves on is ended. Where
// some do, the records taken off in the reverse order, last first, at their
// addresses. With `backup`, only the records it holds are taken off, and a
// patch that does not fit it is not. Nothing is given unless the text, read
// back as the tool reads it and written into the backup as the patch leaves
// it (without one, into the patch's own bytes), gives the flash back as it
// was before the patch.
PatchEdit takeOffText(QStringView text, const PatchReading &reading, const BackupImage *backup, QStringView name);

// The patch with each record that has no old bytes given those the flash
// holds when the tool comes to it, so that the tool checks them before it
// writes; nothing else of its lines changes. Nothing is given unless the
// text, read back, fits the backup and writes what the patch writes.
// With `onlyLine`, only the record at that line is given them, and only it
// must fit; those above it are still written first.
PatchEdit fillOldBytes(QStringView text, const PatchReading &reading, const BackupImage &backup, int onlyLine = 0);

// Whether a fill gives the record old bytes: it has none, or placeholders.
bool oldBytesToFill(const PatchReading &reading, const PatchRecord &record);

// Writes the records of a whole text into `flash`, a whole backup, as the
// tool does: in the order of the text, a later record over an earlier one.
// Where the tool would not write the text as it stands (a line it cannot
// read, a record that does not fit or lies outside), the lines, and `flash`
// is left as it was.
std::vector<RecordFault> writeRecords(const PatchReading &reading, QByteArray &flash);
