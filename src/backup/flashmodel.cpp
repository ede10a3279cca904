#include "flashmodel.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

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

RecordState stateFrom(bool applied, bool fits)
{
    if (applied && fits)
        return RecordState::Unchanged;
    if (applied)
        return RecordState::Applied;
    return fits ? RecordState::Fits : RecordState::DoesNotFit;
}

// A record no other touches: the text finds its old bytes and leaves its new ones.
RecordState alone(const PatchReading &reading, const PatchRecord &record, const char *found)
{
    const bool applied = record.newSize > 0 && sameBytes(found, reading.bytes.constData() + record.newAt, record.newSize);
    return stateFrom(applied, record.oldSize > 0 ? matchesOld(reading, record, found) : !applied);
}

// A record among others that touch its bytes: against what the text as a
// whole finds and leaves there.
RecordState among(const PatchRecord &record, const SharedBytes &shared, const char *found)
{
    const qsizetype at = record.address - shared.from;
    const char *const finds = shared.finds.constData() + at;
    const char *const marks = shared.marks.constData() + at;
    const bool applied = record.newSize > 0 && sameBytes(found, shared.leaves.constData() + at, record.newSize);
    bool fits = true, expectsNothing = false;
    for (qsizetype i = 0; i < record.length(); ++i) {
        if (marks[i] & SharedBytes::Found)
            fits = fits && found[i] == finds[i];
        else if (!(marks[i] & SharedBytes::FoundAny))
            expectsNothing = true;
    }
    return stateFrom(applied, fits && (!expectsNothing || !applied));
}

} // namespace

PatchMatch matchPatch(const PatchReading &reading, const BackupImage &backup)
{
    PatchMatch match;
    if (reading.records.empty())
        return match;
    const auto foundFor = [&](const PatchRecord &record) {
        return qint64(record.address) + record.length() <= backup.size() ? backup.bytes(record.address, record.length())
                                                                         : QByteArrayView();
    };
    RecordsMeet meet = recordsMeet(reading);
    // A record past the flash's end is neither checked nor written: records
    // that share bytes with one meet again without it.
    if (!meet.sharedOf.empty()) {
        std::vector<bool> outside;
        for (std::size_t i = 0; i < reading.records.size(); ++i) {
            if (meet.sharedOf[i] && foundFor(reading.records[i]).size() != reading.records[i].length()) {
                outside.resize(reading.records.size());
                outside[i] = true;
            }
        }
        if (!outside.empty())
            meet = recordsMeet(reading, outside);
    }
    match.shared = !meet.sharedOf.empty();
    // Mostly no two records meet, and each is judged on its own.
    auto meeting = meet.meetings.begin();
    const auto stateOf = [&](std::size_t i) {
        const PatchRecord &record = reading.records[i];
        const QByteArrayView found = foundFor(record);
        if (found.size() != record.length())
            return RecordState::Outside;
        if (match.shared) {
            while (meeting != meet.meetings.end() && meeting->record < i)
                ++meeting;
            if (meeting != meet.meetings.end() && meeting->record == i && meeting->meeting == Meeting::Contradicts) {
                match.contradictions.push_back(*meeting);
                return RecordState::Rewritten;
            }
            if (meet.sharedOf[i])
                return among(record, meet.shared[*meet.sharedOf[i]], found.data());
        }
        return alone(reading, record, found.data());
    };
    match.records.resize(reading.records.size());
    std::array<std::size_t, int(RecordState::Rewritten) + 1> counts{};
    for (std::size_t i = 0; i < reading.records.size(); ++i) {
        match.records[i] = stateOf(i);
        ++counts[int(match.records[i])];
    }
    const auto first = [&](RecordState state) {
        return std::size_t(std::find(match.records.begin(), match.records.end(), state) - match.records.begin());
    };
    if (counts[int(RecordState::Rewritten)]) {
        match.state = PatchState::Contradictory;
        match.atFault = first(RecordState::Rewritten);
    } else if (counts[int(RecordState::DoesNotFit)]) {
        match.state = PatchState::DoesNotFit;
        match.atFault = first(RecordState::DoesNotFit);
    } else if (counts[int(RecordState::Outside)]) {
        match.state = PatchState::Outside;
        match.atFault = first(RecordState::Outside);
    } else {
        const bool fits = counts[int(RecordState::Fits)] > 0, applied = counts[int(RecordState::Applied)] > 0;
        match.state = !fits ? PatchState::Applied : !applied ? PatchState::NotApplied : PatchState::PartlyApplied;
    }
    return match;
}

bool atFault(RecordState state)
{
    return state == RecordState::DoesNotFit || state == RecordState::Outside || state == RecordState::Rewritten;
}

void writeText(const PatchReading &reading, BackupImage &flash)
{
    for (const PatchRecord &record : reading.records)
        flash.write(record.address, reading.newBytes(record));
}
