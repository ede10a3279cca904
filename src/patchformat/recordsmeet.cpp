#include "recordsmeet.h"

#include "addressorder.h"

#include <limits>

namespace {

constexpr std::size_t nobody = std::numeric_limits<std::size_t>::max();

// The records of one run of shared bytes, in the order of the text, each
// against what the records above it left or expect there.
void walk(const PatchReading &reading, std::vector<std::size_t> &group, qint64 from, qint64 end, RecordsMeet &meet)
{
    std::sort(group.begin(), group.end());
    const qsizetype length = end - from;
    SharedBytes shared{from, QByteArray(length, '\0'), QByteArray(length, '\0'), QByteArray(length, '\0')};
    QByteArray known(length, '\0');
    std::vector<std::size_t> by(std::size_t(length), nobody);
    std::vector<bool> wrote(std::size_t(length), false);
    const char *const bytes = reading.bytes.constData();
    for (const std::size_t r : group) {
        const PatchRecord &record = reading.records[r];
        const qsizetype at = record.address - from;
        const char *const old = bytes + record.oldAt;
        const char *const now = bytes + record.newAt;
        std::optional<qsizetype> met, oldAtIssue;
        bool oldPastNew = false, newThere = true;
        for (qsizetype i = 0; i < record.oldSize; ++i) {
            const qsizetype k = at + i;
            if (by[k] == nobody)
                continue;
            met = met.value_or(k);
            if (old[i] != known[k] && !reading.isAnyByte(record.oldAt + i)) {
                oldAtIssue = oldAtIssue.value_or(k);
                oldPastNew = oldPastNew || i >= record.newSize;
            }
        }
        for (qsizetype i = 0; i < record.newSize; ++i) {
            const qsizetype k = at + i;
            if (by[k] == nobody)
                continue;
            met = met.value_or(k);
            newThere = newThere && now[i] == known[k];
        }
        if (met) {
            const Meeting meeting = record.oldSize == 0 ? Meeting::Overwrites
                : !oldAtIssue                           ? Meeting::Follows
                : newThere && !oldPastNew               ? Meeting::Repeats
                                                        : Meeting::Contradicts;
            const qsizetype k = meeting == Meeting::Contradicts ? *oldAtIssue : *met;
            meet.meetings.push_back({r, by[k], meeting, wrote[k]});
        }
        // What the text finds is what the first record to touch a byte
        // expects there; a byte touched before keeps what it was given.
        for (qsizetype i = 0; i < record.length(); ++i) {
            const qsizetype k = at + i;
            if (shared.marks[k] != 0 || i >= record.oldSize)
                continue;
            if (reading.isAnyByte(record.oldAt + i)) {
                shared.marks[k] = SharedBytes::FoundAny;
            } else {
                shared.marks[k] = SharedBytes::Found;
                shared.finds[k] = old[i];
            }
        }
        // Bytes it only expects are known from it where nothing was.
        for (qsizetype i = record.newSize; i < record.oldSize; ++i) {
            const qsizetype k = at + i;
            if (by[k] == nobody && !reading.isAnyByte(record.oldAt + i)) {
                known[k] = old[i];
                by[k] = r;
            }
        }
        for (qsizetype i = 0; i < record.newSize; ++i) {
            const qsizetype k = at + i;
            known[k] = shared.leaves[k] = now[i];
            by[k] = r;
            wrote[k] = true;
            shared.marks[k] = char(shared.marks[k] | SharedBytes::Left);
        }
    }
    meet.shared.push_back(std::move(shared));
}

} // namespace

RecordsMeet recordsMeet(const PatchReading &reading, const std::vector<bool> &leftOut)
{
    // Mostly records come in the order of their addresses, apart: then no
    // two meet, and nothing need be sorted or kept.
    RecordsMeet meet;
    if (leftOut.empty() && apartInOrder(reading.records))
        return meet;
    struct Piece {
        qint64 from;
        qint64 end;
        std::size_t record;
    };
    std::vector<Piece> pieces;
    pieces.reserve(reading.records.size());
    for (std::size_t i = 0; i < reading.records.size(); ++i) {
        const PatchRecord &record = reading.records[i];
        if (record.length() > 0 && (leftOut.empty() || !leftOut[i]))
            pieces.push_back({record.address, record.address + record.length(), i});
    }
    sortByAddress(pieces, [](const Piece &a, const Piece &b) { return a.from < b.from || (a.from == b.from && a.record < b.record); });
    std::vector<std::size_t> group;
    for (std::size_t first = 0, next = 0; first < pieces.size(); first = next) {
        qint64 end = pieces[first].end;
        for (next = first + 1; next < pieces.size() && pieces[next].from < end; ++next)
            end = std::max(end, pieces[next].end);
        if (next - first == 1)
            continue;
        if (meet.sharedOf.empty())
            meet.sharedOf.resize(reading.records.size());
        group.clear();
        for (std::size_t p = first; p < next; ++p) {
            group.push_back(pieces[p].record);
            meet.sharedOf[pieces[p].record] = meet.shared.size();
        }
        walk(reading, group, pieces[first].from, end, meet);
    }
    std::sort(meet.meetings.begin(), meet.meetings.end(),
              [](const RecordMeeting &a, const RecordMeeting &b) { return a.record < b.record; });
    return meet;
}
