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

// Most records are a few bytes long: compared in place, two words that may
// overlap, where a call of memcmp for each cost more than the comparing and
// made each record the backup holds cost twice one past its end.
template <typename Word>
bool sameWords(const char *a, const char *b, qsizetype count)
{
    Word a1, b1, a2, b2;
    std::memcpy(&a1, a, sizeof(Word));
    std::memcpy(&b1, b, sizeof(Word));
    std::memcpy(&a2, a + count - qsizetype(sizeof(Word)), sizeof(Word));
    std::memcpy(&b2, b + count - qsizetype(sizeof(Word)), sizeof(Word));
    return ((a1 ^ b1) | (a2 ^ b2)) == 0;
}

// Long runs are rare: out of the way, so that the rest is small enough to
// be compiled into its callers.
bool sameLongBytes(const char *a, const char *b, qsizetype count)
{
    return std::memcmp(a, b, std::size_t(count)) == 0;
}

bool sameBytes(const char *a, const char *b, qsizetype count)
{
    if (count > 16)
        return sameLongBytes(a, b, count);
    if (count >= 8)
        return sameWords<quint64>(a, b, count);
    if (count >= 4)
        return sameWords<quint32>(a, b, count);
    return count == 0 || (a[0] == b[0] && (count == 1 || (a[1] == b[1] && (count == 2 || a[2] == b[2]))));
}

// The records' bytes are looked at through plain pointers: a view made for
// each byte run cost as much as comparing it.
bool matchesOld(const PatchReading &reading, const PatchRecord &record, const char *found)
{
    const char *const old = reading.bytes.constData() + record.oldAt;
    if (sameBytes(old, found, record.oldSize))
        return true;
    if (reading.anyBytes.empty()) // an applied record, mostly
        return false;
    for (qsizetype i = 0; i < record.oldSize; ++i) {
        if (old[i] != found[i] && !reading.isAnyByte(record.oldAt + i))
            return false;
    }
    return true;
}

RecordState stateOf(const PatchReading &reading, const PatchRecord &record, const BackupImage &backup)
{
    const qint64 length = recordLength(record);
    if (qint64(record.address) + length > backup.size())
        return RecordState::Outside;
    const QByteArrayView found = backup.bytes(record.address, length);
    if (found.size() != length)
        return RecordState::Outside;
    const bool applied = record.newSize > 0 && sameBytes(found.data(), reading.bytes.constData() + record.newAt, record.newSize);
    const bool fits = record.oldSize > 0 ? matchesOld(reading, record, found.data()) : !applied;
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
            if (!inside(record, backupSize) || recordLength(record) == 0)
                continue;
            if (!ranges.empty() && qint64(record.address) < ranges.back().at) {
                inOrder = false;
                break;
            }
            merge(ranges, {record.address, recordLength(record)});
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
            if (inside(record, backupSize) && recordLength(record) > 0)
                wanted.push_back({record.address, recordLength(record)});
        }
    }
    sortByAddress(wanted, [](const FileRange &a, const FileRange &b) { return a.at < b.at; });
    ranges.clear();
    for (const FileRange &range : wanted)
        merge(ranges, range);
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
    std::size_t i = 0;
    for (const PatchRecord &record : reading.records) {
        const RecordState state = stateOf(reading, record, backup);
        match.records.push_back(state);
        applied = applied || state == RecordState::Applied;
        fits = fits || state == RecordState::Fits;
        if (state == RecordState::DoesNotFit && !firstMismatch)
            firstMismatch = i;
        if (state == RecordState::Outside && !firstOutside)
            firstOutside = i;
        ++i;
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
