#pragma once

#include "header.h"
#include "patchreader.h"

#include <optional>
#include <vector>

// The collection's patches in one text, each from its header to the next:
// which of them write bytes in common, said once for each pair.

// Which header a line comes after: the patch it belongs to.
std::optional<std::size_t> patchAt(const std::vector<HeaderAt> &headers, int line);

// The lines of the patch `line` stands in, first..last: from its header to
// the line before the next header. The lines before the first header are
// one of their own, without a header. `repeated`: the same patch begins
// above it too.
struct PatchLines {
    int first;
    int last;
    std::optional<PatchHeader> header;
    bool repeated = false;
};
PatchLines patchLinesAt(QStringView text, int line);

struct PatchOverlap {
    std::size_t first;  // headers' indexes, first < second
    std::size_t second;
    qint64 sharedBytes; // each byte once, however many records write it
    quint32 from;       // the lowest of them
};

// Each pair of patches that write at least one byte in common, in the order
// of their second patch, then their first. Records before the first header
// belong to none. Addresses wrap past FFFFFFFF.
std::vector<PatchOverlap> findPatchOverlaps(const std::vector<PatchRecord> &records, const std::vector<HeaderAt> &headers);
