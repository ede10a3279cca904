#include "backupmatch.h"

#include "patchformat/addressorder.h"

#include <algorithm>
#include <cstring>

namespace {

// Records close together are read at once: a seek costs more than a few KiB.
constexpr qint64 readTogether = 4096;

bool inside(const PatchRecord &record, qint64 backupSize)
{
    return qint64(record.address) + record.length() <= backupSize;
}

} // namespace

void BackupImage::add(qint64 at, QByteArray bytes)
{
    m_pieces.emplace_back(at, std::move(bytes));
}

std::optional<std::size_t> BackupImage::pieceHolding(qint64 at, qint64 length) const
{
    // The last piece that starts at or before `at`.
    const auto piece = std::upper_bound(m_pieces.begin(), m_pieces.end(), at,
                                        [](qint64 a, const auto &p) { return a < p.first; });
    if (piece == m_pieces.begin())
        return std::nullopt; // not read: the check was given another backup's pieces
    const auto &[from, bytes] = *(piece - 1);
    if (at + length > from + bytes.size())
        return std::nullopt;
    return std::size_t(piece - m_pieces.begin()) - 1;
}

QByteArrayView BackupImage::bytesElsewhere(qint64 at, qint64 length) const
{
    const std::optional<std::size_t> piece = pieceHolding(at, length);
    if (!piece)
        return {};
    m_last = *piece;
    const auto &[from, bytes] = m_pieces[*piece];
    return QByteArrayView(bytes).sliced(at - from, length);
}

bool BackupImage::write(qint64 at, QByteArrayView bytes)
{
    const std::optional<std::size_t> piece = pieceHolding(at, bytes.size());
    if (!piece)
        return false;
    auto &[from, held] = m_pieces[*piece];
    std::memcpy(held.data() + (at - from), bytes.data(), std::size_t(bytes.size()));
    return true;
}

QByteArray BackupImage::takeWhole()
{
    if (m_pieces.size() != 1 || m_pieces.front().first != 0 || m_pieces.front().second.size() != m_size)
        return {};
    QByteArray whole = std::move(m_pieces.front().second);
    m_pieces.clear();
    return whole;
}

std::vector<FileRange> rangesToRead(std::span<const PatchReading *const> readings, qint64 backupSize)
{
    const auto merge = [](std::vector<FileRange> &ranges, const FileRange &range) {
        if (!ranges.empty() && range.at <= ranges.back().at + ranges.back().length + readTogether)
            ranges.back().length = std::max(ranges.back().length, range.at + range.length - ranges.back().at);
        else
            ranges.push_back(range);
    };
    // Records mostly come in the order of their addresses, and are merged as
    // they come: a list of every record's range, sorted, is only made for a
    // text out of order. That list grew with the records the backup holds
    // and was fresh memory each check.
    std::vector<FileRange> ranges;
    bool inOrder = true;
    for (const PatchReading *reading : readings) {
        for (const PatchRecord &record : reading->records) {
            if (!inside(record, backupSize) || record.length() == 0)
                continue;
            if (!ranges.empty() && qint64(record.address) < ranges.back().at) {
                inOrder = false;
                break;
            }
            merge(ranges, {record.address, record.length()});
        }
    }
    if (inOrder)
        return ranges;
    std::size_t records = 0;
    for (const PatchReading *reading : readings)
        records += reading->records.size();
    std::vector<FileRange> wanted;
    wanted.reserve(records);
    for (const PatchReading *reading : readings) {
        for (const PatchRecord &record : reading->records) {
            if (inside(record, backupSize) && record.length() > 0)
                wanted.push_back({record.address, record.length()});
        }
    }
    sortByAddress(wanted, [](const FileRange &a, const FileRange &b) { return a.at < b.at; });
    ranges.clear();
    for (const FileRange &range : wanted)
        merge(ranges, range);
    return ranges;
}
