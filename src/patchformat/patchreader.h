#pragma once

#include "finding.h"

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <array>
#include <vector>

// Reads a patch text the way the flashing tool does, to warn before a flash
// goes wrong. It never changes the text. Lines count from 1.

// One record: it writes its new bytes at `address`, the offset in force
// added in 32 bits as the tool counts. Its bytes lie in PatchReading::bytes.
struct PatchRecord {
    int line;
    quint32 address;
    qsizetype newSize;
    qsizetype oldSize; // as written, or implied by old_equal_ff; 0 for none
    qsizetype newAt = 0;
    qsizetype oldAt = 0;
    // Where it stands in the text, so that it can be written otherwise: from
    // its address to the end of its last field, its fields from `fieldsAt`.
    qsizetype textAt = 0;
    qsizetype fieldsAt = 0;
    qsizetype textEnd = 0;
    // Read while the undo pragma was off: the tool keeps nothing to take it
    // off with.
    bool undoOff = false;

    // How many bytes from its address on it checks or writes.
    qsizetype length() const { return std::max(newSize, oldSize); }

    bool operator==(const PatchRecord &) const = default;
};

// The tool counts addresses in 32 bits: offset plus address wraps around.
inline constexpr qint64 addressSpace = 0x100000000;

enum class Pragma { OldEqualFf, Undo, WarnNoOldOnApply, WarnIfNewExistOnApply, WarnIfOldExistOnUndo };
inline constexpr int pragmaCount = 5;
// As the tool spells them, in the order of Pragma.
inline constexpr QStringView pragmaNames[pragmaCount] = {
    u"old_equal_ff", u"undo", u"warn_no_old_on_apply", u"warn_if_new_exist_on_apply", u"warn_if_old_exist_on_undo",
};

struct PatchReading {
    std::vector<PatchRecord> records;
    std::vector<Finding> findings; // in the order of the text
    QByteArray bytes;              // the records' new and old bytes
    // Where in `bytes` an old byte was written as a placeholder, which any
    // byte matches; ascending.
    std::vector<qsizetype> anyBytes;
    // What is in force at the end of the text, and the line that set it (0:
    // as at the start of a text).
    qint64 offset = 0;
    int offsetLine = 0;
    std::array<bool, pragmaCount> pragmaOn{};
    std::array<int, pragmaCount> pragmaLine{};

    QByteArrayView newBytes(const PatchRecord &record) const { return QByteArrayView(bytes).sliced(record.newAt, record.newSize); }
    QByteArrayView oldBytes(const PatchRecord &record) const { return QByteArrayView(bytes).sliced(record.oldAt, record.oldSize); }
    // Whether the byte at `at` in `bytes` was written as a placeholder.
    bool isAnyByte(qsizetype at) const { return std::binary_search(anyBytes.begin(), anyBytes.end(), at); }

    bool operator==(const PatchReading &) const = default;
};

// As at the start of a text: old_equal_ff off, the other pragmas on.
constexpr bool pragmaOnAtStart(Pragma pragma)
{
    return pragma != Pragma::OldEqualFf;
}

// Whether a reading keeps the records' bytes, or only counts them (the check
// before a hand-over with no backup to compare with needs no more).
enum class RecordBytes { Kept, Counted };

// One pass over the text. With RecordBytes::Counted, PatchReading::bytes
// stays empty and only the records' sizes tell of their bytes.
PatchReading readPatchText(QStringView text, RecordBytes bytes = RecordBytes::Kept);
