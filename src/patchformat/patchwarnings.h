#pragma once

#include "header.h"
#include "patchreader.h"

#include <QString>
#include <vector>

// Two records that write at least one byte in common, from..to included.
struct Overlap {
    int firstLine;
    int secondLine;
    quint32 from;
    quint32 to;
};

// Each record that shares bytes with another, once, paired with one of those;
// in the order of their first lines. Addresses wrap past FFFFFFFF.
std::vector<Overlap> findOverlaps(const std::vector<PatchRecord> &records);

// One more thing to report, at its line; some only inform, as that a patch
// is already on the phone.
struct WarningItem {
    int line;
    QString text;
    bool onlyInforms = false;
};

// How much a thing said weighs: the tool will write the text otherwise than
// meant, may read it otherwise, or writes it as meant and it only informs.
enum class Weight { Fault, Doubt, Informs };

// One thing said of a text at its line, as the box before a hand-over says it.
struct Notice {
    int line;
    QString text;
    Weight weight;

    bool operator==(const Notice &) const = default;
};

// Everything handoverWarning says of `text`, each in its words, however many.
std::vector<Notice> handoverNotices(QStringView text, const PatchReading &reading, const std::vector<WarningItem> &more = {});

// What the user reads before a hand-over of `text`, read as `reading`:
// overlaps, records at odds with what one above them left, an offset or a
// pragma in force at the end, what the reader found and `more`, in the order
// of their lines, ten at most. Empty when there is nothing to report. A
// reading that only counted the records' bytes misses a record whose old
// bytes alone reach what one above it wrote.
QString handoverWarning(QStringView text, const PatchReading &reading, const std::vector<WarningItem> &more = {});

// What the user reads after appending the patch file at `path`, read alone:
// that its header names another phone or firmware, an offset or a pragma it
// leaves in force. Empty when there is nothing to say.
QString appendWarning(const PatchReading &reading, const PatchHeader &header, const QString &path);
