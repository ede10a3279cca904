#pragma once

#include <QString>
#include <array>
#include <vector>

// Reads a patch text the way the flashing tool does, to warn before a flash
// goes wrong. It never changes the text. Lines count from 1.

// One record: it writes `newBytes` bytes at `address` (the offset in force
// already added). `oldBytes` counts the old bytes it gives, or implies.
struct PatchRecord {
    int line;
    qint64 address;
    qint64 newBytes;
    qint64 oldBytes;

    bool operator==(const PatchRecord &) const = default;
};

struct UnreadableLine {
    int line;
    QString reason; // in Russian, for the user

    bool operator==(const UnreadableLine &) const = default;
};

enum class Pragma { OldEqualFf, Undo, WarnNoOldOnApply, WarnIfNewExistOnApply, WarnIfOldExistOnUndo };
inline constexpr int pragmaCount = 5;

// How a pragma's name and an offset are written in a patch.
QString pragmaName(Pragma pragma);
QString offsetText(qint64 offset);

struct PatchReading {
    std::vector<PatchRecord> records;
    std::vector<UnreadableLine> unreadable;
    // What is in force at the end of the text, and the line that set it (0:
    // as at the start of a text).
    qint64 offset = 0;
    int offsetLine = 0;
    std::array<bool, pragmaCount> pragmaOn{};
    std::array<int, pragmaCount> pragmaLine{};

    bool operator==(const PatchReading &) const = default;
};

// Whether `text` starts with a comment that runs to the end of its line: `;`,
// `//`, or `#` where it is not `#pragma`.
bool startsLineComment(QStringView text);

// As at the start of a text: old_equal_ff off, the other pragmas on.
bool pragmaOnAtStart(Pragma pragma);

// One pass over the text.
PatchReading readPatchText(QStringView text);
