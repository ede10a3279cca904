#include "backupmatch.h"

#include "patchformat/addressorder.h"

#include <algorithm>
#include <cstring>

namespace {

// Records close together are read at once: a seek costs more than a few KiB.
constexpr qint64 readTogether = 4096;

qint64 recordLength(const PatchRecord &record)
{
    return std::max(record.newSize, record.oldSize);
}

bool inside(const PatchRecord &record, qint64 backupSize)
{
    return qint64(record.address) + recordLength(record) <= backupSize;
}

bool matchesOld(const PatchReading &reading, const PatchRecord &record, QByteArrayView found)
{
    const QByteArrayView old = reading.oldBytes(record);
    if (std::memcmp(old.data(), found.data(), std::size_t(old.size())) == 0)
        return true;
    for (qsizetype i = 0; i < old.size(); ++i) {
        if (old[i] != found[i] && !reading.isAnyByte(record.oldAt + i))
            return false;
    }
    return true;
}

RecordState stateOf(const PatchReading &reading, const PatchRecord &record, const BackupImage &backup)
{
    if (!inside(record, backup.size()))
        return RecordState::Outside;
    const QByteArrayView found = backup.bytes(record.address, recordLength(record));
    if (found.size() != recordLength(record))
        return RecordState::Outside;
    const bool applied = record.newSize > 0
        && std::memcmp(found.data(), reading.newBytes(record).data(), std::size_t(record.newSize)) == 0;
    const bool fits = record.oldSize > 0 ? matchesOld(reading, record, found.first(record.oldSize)) : !applied;
    if (applied && fits)
        return RecordState::Unchanged;
    if (applied)
        return RecordState::Applied;
    return fits ? RecordState::Fits : RecordState::DoesNotFit;
}

} // namespace

void BackupImage::add(qint64 at, QByteArray bytes)
{
    m_pieces.emplace_back(at, std::move(bytes));
}

QByteArrayView BackupImage::bytesElsewhere(qint64 at, qint64 length) const
{
    // The last piece that starts at or before `at`.
    const auto piece = std::upper_bound(m_pieces.begin(), m_pieces.end(), at,
                                        [](qint64 a, const auto &p) { return a < p.first; });
    if (piece == m_pieces.begin())
        return {}; // not read: the check was given another backup's pieces
    const auto &[from, bytes] = *(piece - 1);
    if (at + length > from + bytes.size())
        return {};
    m_last = std::size_t(piece - m_pieces.begin()) - 1;
    return QByteArrayView(bytes).sliced(at - from, length);
}

std::vector<FileRange> rangesToRead(std::span<const PatchReading *const> readings, qint64 backupSize)
{
    std::size_t records = 0;
    for (const PatchReading *reading : readings)
        records += reading->records.size();
    std::vector<FileRange> wanted;
    wanted.reserve(records);
    for (const PatchReading *reading : readings) {
        for (const PatchRecord &record : reading->records) {
            if (inside(record, backupSize) && recordLength(record) > 0)
                wanted.push_back({record.address, recordLength(record)});
        }
    }
    sortByAddress(wanted, [](const FileRange &a, const FileRange &b) { return a.at < b.at; });
    std::vector<FileRange> ranges;
    for (const FileRange &range : wanted) {
        if (!ranges.empty() && range.at <= ranges.back().at + ranges.back().length + readTogether)
            ranges.back().length = std::max(ranges.back().length, range.at + range.length - ranges.back().at);
        else
            ranges.push_back(range);
    }
    return ranges;
}

PatchMatch matchPatch(const PatchReading &reading, const BackupImage &backup)
{
    PatchMatch match;
    if (reading.records.empty())
        return match;
    match.records.reserve(reading.records.size());
    std::optional<std::size_t> firstMismatch, firstOutside;
    bool applied = false, fits = false;
    for (std::size_t i = 0; i < reading.records.size(); ++i) {
        const RecordState state = stateOf(reading, reading.records[i], backup);
        match.records.push_back(state);
        applied = applied || state == RecordState::Applied;
        fits = fits || state == RecordState::Fits;
        if (state == RecordState::DoesNotFit && !firstMismatch)
            firstMismatch = i;
        if (state == RecordState::Outside && !firstOutside)
            firstOutside = i;
    }
    if (firstMismatch) {
        match.state = PatchState::DoesNotFit;
        match.atFault = firstMismatch;
    } else if (firstOutside) {
        match.state = PatchState::Outside;
        match.atFault = firstOutside;
    } else {
        match.state = !fits ? PatchState::Applied : !applied ? PatchState::NotApplied : PatchState::PartlyApplied;
    }
    return match;
}
