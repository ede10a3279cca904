#pragma once

#include "patchreader.h"

#include <QString>
#include <vector>

// Two records that write at least one byte in common, from..to included.
struct Overlap {
    int firstLine;
    int secondLine;
    qint64 from;
    qint64 to;
};

// Each record that shares bytes with another, once, paired with one of those;
// in the order of their first lines.
std::vector<Overlap> findOverlaps(const std::vector<PatchRecord> &records);

// What the user reads before a hand-over: overlaps, an offset or a pragma in
// force at the end, and lines the tool cannot read, ten at most. Empty when
// there is nothing to report.
QString handoverWarning(const PatchReading &reading);

// What the user reads after appending the patch file at `path`, read alone:
// an offset or a pragma it leaves in force. Empty when it leaves none.
QString appendWarning(const PatchReading &reading, const QString &path);
