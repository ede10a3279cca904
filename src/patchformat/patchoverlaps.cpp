#include "patchoverlaps.h"

#include "addressorder.h"
#include "scanner.h"

#include <algorithm>
#include <map>

namespace {

struct Piece {
    qint64 from;
    qint64 end;
    std::size_t patch;
};

bool byStart(const Piece &a, const Piece &b)
{
    return a.from < b.from || (a.from == b.from && a.end < b.end);
}

// Each patch's bytes as pieces apart from one another, so that a byte two of
// its records write counts once.
std::vector<Piece> piecesOf(const std::vector<PatchRecord> &records, const std::vector<HeaderAt> &headers)
{
    std::vector<std::vector<Piece>> byPatch(headers.size());
    for (const PatchRecord &record : records) {
        const std::optional<std::size_t> patch = patchAt(headers, record.line);
        const qint64 from = record.address;
        const qint64 end = from + std::min(record.newSize, addressSpace);
        if (!patch || end == from)
            continue;
        byPatch[*patch].push_back({from, std::min(end, addressSpace), *patch});
        if (end > addressSpace)
            byPatch[*patch].push_back({0, std::min(end - addressSpace, from), *patch});
    }
    std::vector<Piece> pieces;
    for (std::vector<Piece> &own : byPatch) {
        sortByAddress(own, byStart);
        for (const Piece &piece : own) {
            if (!pieces.empty() && pieces.back().patch == piece.patch && piece.from <= pieces.back().end)
                pieces.back().end = std::max(pieces.back().end, piece.end);
            else
                pieces.push_back(piece);
        }
    }
    std::sort(pieces.begin(), pieces.end(), byStart);
    return pieces;
}

} // namespace

std::optional<std::size_t> patchAt(const std::vector<HeaderAt> &headers, int line)
{
    const auto after = std::upper_bound(headers.begin(), headers.end(), line,
                                        [](int l, const HeaderAt &header) { return l < header.line; });
    if (after == headers.begin())
        return std::nullopt;
    return std::size_t(after - headers.begin()) - 1;
}

PatchLines patchLinesAt(QStringView text, int line)
{
    const std::vector<HeaderAt> headers = headersInText(text);
    const std::optional<std::size_t> patch = patchAt(headers, line);
    PatchLines lines{1, 0, std::nullopt};
    if (patch) {
        lines.first = headers[*patch].line;
        lines.header = headers[*patch].header;
        for (std::size_t i = 0; i < *patch && !lines.repeated; ++i)
            lines.repeated = patchKey(headers[i].header) == patchKey(*lines.header);
    }
    const std::size_t next = patch ? *patch + 1 : 0;
    if (next < headers.size()) {
        lines.last = headers[next].line - 1;
        return lines;
    }
    for (qsizetype start = 0; start < text.size(); start = lineAt(text, start).next)
        ++lines.last;
    return lines;
}

std::vector<PatchOverlap> findPatchOverlaps(const std::vector<PatchRecord> &records, const std::vector<HeaderAt> &headers)
{
    // Sorted by start, a piece shares bytes with each piece still open where
    // it starts; a patch's own pieces are apart, so each open one is another's.
    std::map<std::pair<std::size_t, std::size_t>, PatchOverlap> pairs;
    std::vector<Piece> open;
    for (const Piece &piece : piecesOf(records, headers)) {
        std::erase_if(open, [&](const Piece &o) { return o.end <= piece.from; });
        for (const Piece &o : open) {
            const auto key = std::minmax(o.patch, piece.patch);
            auto [at, added] = pairs.try_emplace(key, PatchOverlap{key.first, key.second, 0, quint32(piece.from)});
            at->second.sharedBytes += std::min(o.end, piece.end) - piece.from;
            at->second.from = std::min(at->second.from, quint32(piece.from));
        }
        open.push_back(piece);
    }
    std::vector<PatchOverlap> found;
    for (const auto &[key, overlap] : pairs)
        found.push_back(overlap);
    std::sort(found.begin(), found.end(), [](const PatchOverlap &a, const PatchOverlap &b) {
        return std::pair(a.second, a.first) < std::pair(b.second, b.first);
    });
    return found;
}
