#pragma once

#include "patchreader.h"

#include <optional>
#include <vector>

// Where the records of one text meet, read as the tool writes it: top to
// bottom, each record checked against what the records above it left, then
// written. Needs the records' bytes.

// How a record meets bytes that an earlier record of the text wrote or
// expects.
enum class Meeting {
    Follows,     // expects what the earlier one left there: a chain its author meant
    Repeats,     // finds its own new bytes there already
    Overwrites,  // gives no old bytes, and so writes over them unchecked
    Contradicts, // expects other bytes: the tool will not write it
};

struct RecordMeeting {
    std::size_t record;
    // The record that wrote, or else expected, the first byte at issue.
    std::size_t earlier;
    Meeting meeting;
    bool written; // whether `earlier` wrote that byte, or only expected it

    bool operator==(const RecordMeeting &) const = default;
};

// Bytes that several records touch, from `from` on: what the text finds
// there (the old byte of the first record that touches it) and what it
// leaves (the new byte of the last record that writes it).
struct SharedBytes {
    enum Mark : char {
        Found = 1,    // `finds` holds the byte the text expects
        FoundAny = 2, // a placeholder: any byte
        Left = 4,     // `leaves` holds the byte the text writes
    };
    qint64 from = 0;
    QByteArray finds, leaves, marks;
};

struct RecordsMeet {
    std::vector<RecordMeeting> meetings; // in the order of their records
    std::vector<SharedBytes> shared;     // in the order of their addresses
    // For each record, which of `shared` holds its bytes; empty when no two
    // records touch a byte in common.
    std::vector<std::optional<std::size_t>> sharedOf;
};

// Records that touch no byte another touches cost one sorted pass. A record
// that runs past FFFFFFFF is taken as it stands, without wrapping: no patch
// of the collection has one. Where `leftOut` says so, a record is neither
// checked nor written, as one past the flash's end.
RecordsMeet recordsMeet(const PatchReading &reading, const std::vector<bool> &leftOut = {});

// Whether the records come in the order of their addresses, none touching a
// byte of the one before: then no two meet.
inline bool apartInOrder(const std::vector<PatchRecord> &records)
{
    qint64 reached = 0;
    for (const PatchRecord &record : records) {
        if (record.address < reached)
            return false;
        reached = qint64(record.address) + record.length();
    }
    return true;
}
