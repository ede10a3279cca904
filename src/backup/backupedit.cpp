#include "backupedit.h"

#include "patchformat/addressorder.h"
#include "patchformat/description.h"
#include "patchformat/header.h"
#include "patchformat/scanner.h"
#include "patchformat/words.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

namespace {

// The patch's text copied piece by piece as an append lays it out, each
// record where it stood written otherwise or left out; through a pointer of
// its own, as appends of a few characters each cost more than the copying.
class Rewrite
{
public:
    explicit Rewrite(QStringView text)
        : m_text(text)
        , m_out(text.size() + text.size() / 4 + 256, Qt::Uninitialized)
        , m_at(begin())
        , m_end(m_at + m_out.size())
    {
        put(u"\r\n");
    }

    void copyTo(qsizetype to)
    {
        put(m_text.sliced(m_from, to - m_from));
        m_from = to;
    }
    // From the record's address or its fields to its end, what it becomes.
    void replaceFields(const PatchRecord &record) { replace(record.fieldsAt, record.textEnd); }
    void leaveOut(const PatchRecord &record) { replace(record.textAt, record.textEnd); }
    void put(QStringView text)
    {
        room(text.size());
        std::memcpy(m_at, text.utf16(), std::size_t(text.size()) * sizeof(char16_t));
        m_at += text.size();
    }
    void put(char16_t c)
    {
        room(1);
        *m_at++ = c;
    }
    void putHex(QByteArrayView bytes)
    {
        // Both digits of a byte at once, from a table.
        static constexpr auto digitPairs = [] {
            constexpr char16_t digits[] = u"0123456789ABCDEF";
            std::array<std::array<char16_t, 2>, 256> pairs{};
            for (std::size_t b = 0; b < pairs.size(); ++b)
                pairs[b] = {digits[b >> 4], digits[b & 0xF]};
            return pairs;
        }();
        room(2 * bytes.size());
        char16_t *at = m_at;
        for (const char byte : bytes) {
            std::memcpy(at, digitPairs[uchar(byte)].data(), 2 * sizeof(char16_t));
            at += 2;
        }
        m_at = at;
    }
    // A last line without its line end gets one.
    void finishLine()
    {
        if (m_at[-1] != u'\n' && m_at[-1] != u'\r')
            put(u"\r\n");
    }
    // The rest of the text, ending in a line end.
    QString finish()
    {
        copyTo(m_text.size());
        return take();
    }
    // What was put, ending in a line end, and none of the rest.
    QString take()
    {
        finishLine();
        m_out.truncate(m_at - begin());
        return std::move(m_out);
    }

private:
    char16_t *begin() { return reinterpret_cast<char16_t *>(m_out.data()); }
    void room(qsizetype count)
    {
        if (m_end - m_at >= count)
            return;
        const qsizetype done = m_at - begin();
        m_out.resize(std::max(2 * m_out.size(), done + count));
        m_at = begin() + done;
        m_end = begin() + m_out.size();
    }
    void replace(qsizetype from, qsizetype to)
    {
        copyTo(from);
        m_from = to;
    }

    QStringView m_text;
    QString m_out;
    char16_t *m_at;
    char16_t *m_end;
    qsizetype m_from = 0;
};

// Why the bytes a record wrote over are not known, if they are not: the
// first of its old bytes as many as its new ones are written back. What a
// take-off cannot write back, a fill gives from the flash.
std::optional<EditFault> unknownOld(const PatchReading &reading, const PatchRecord &record)
{
    if (record.oldSize == 0)
        return EditFault::NoOldBytes;
    const auto placeholder = std::lower_bound(reading.anyBytes.begin(), reading.anyBytes.end(), record.oldAt);
    if (placeholder != reading.anyBytes.end() && *placeholder < record.oldAt + record.newSize)
        return EditFault::PlaceholderInOld;
    if (record.undoOff)
        return EditFault::UndoOff;
    return std::nullopt;
}

} // namespace

bool oldBytesToFill(const PatchReading &reading, const PatchRecord &record)
{
    const std::optional<EditFault> unknown = unknownOld(reading, record);
    return unknown == EditFault::NoOldBytes || unknown == EditFault::PlaceholderInOld;
}

namespace {

// Where the line that says what the text does goes: after a first line that
// names the phone and firmware, so that the text is named by it and not
// taken for the patch itself; else first.
qsizetype titleAt(QStringView text)
{
    const LineAt first = lineAt(text, 0);
    return phoneLine(text.first(first.end)) ? std::min(first.next, text.size()) : 0;
}

// What the text leaves on is ended, so that it ends as it began.
void endWhatIsOn(Rewrite &rewrite, const PatchReading &reading)
{
    if (reading.offset != 0)
        rewrite.put(u"+0\r\n");
    for (int i = 0; i < pragmaCount; ++i) {
        const Pragma pragma = Pragma(i);
        if (reading.pragmaOn[i] != pragmaOnAtStart(pragma)) {
            rewrite.put(pragmaLine(pragma, pragmaOnAtStart(pragma)));
            rewrite.put(u"\r\n");
        }
    }
}

PatchEdit refused(std::vector<RecordFault> faults)
{
    std::stable_sort(faults.begin(), faults.end(), [](const RecordFault &a, const RecordFault &b) { return a.line < b.line; });
    return {EditOutcome::Refused, {}, std::move(faults)};
}

// Why a record in this state keeps an edit from being made, if it does.
std::optional<RecordFault> faultOf(const PatchReading &reading, const PatchMatch &match, std::size_t i)
{
    const int line = reading.records[i].line;
    switch (match.records[i]) {
    case RecordState::DoesNotFit:
        return RecordFault{EditFault::DoesNotFit, line};
    case RecordState::Outside:
        return RecordFault{EditFault::Outside, line};
    case RecordState::Rewritten:
        for (const RecordMeeting &m : match.contradictions) {
            if (m.record == i)
                return RecordFault{EditFault::Rewritten, line, reading.records[m.earlier].line, m.written};
        }
        return RecordFault{EditFault::Rewritten, line};
    case RecordState::Applied:
    case RecordState::Fits:
    case RecordState::Unchanged:
        break;
    }
    return std::nullopt;
}

// The flash as a patch whose every record has its old bytes leaves it: as
// it found it, with its records written.
BackupImage asThePatchLeavesIt(const PatchReading &reading)
{
    const PatchReading *readings[] = {&reading};
    BackupImage flash(addressSpace);
    for (const FileRange &range : rangesToRead(readings, addressSpace))
        flash.add(range.at, QByteArray(range.length, '\0'));
    for (auto record = reading.records.rbegin(); record != reading.records.rend(); ++record)
        flash.write(record->address, reading.oldBytes(*record));
    writeText(reading, flash);
    return flash;
}

// Whether two of these records write a byte in common.
bool shareBytes(const PatchReading &reading, const std::vector<std::size_t> &records)
{
    qint64 reached = 0;
    bool inOrder = true;
    for (std::size_t n = 0; n < records.size() && inOrder; ++n) {
        const PatchRecord &record = reading.records[records[n]];
        inOrder = record.address >= reached;
        reached = qint64(record.address) + record.newSize;
    }
    if (inOrder)
        return false;
    std::vector<std::pair<qint64, qint64>> written;
    written.reserve(records.size());
    for (const std::size_t i : records)
        written.emplace_back(reading.records[i].address, reading.records[i].address + reading.records[i].newSize);
    sortByAddress(written, [](const auto &a, const auto &b) { return a.first < b.first; });
    for (std::size_t i = 1; i < written.size(); ++i) {
        if (written[i].first < written[i - 1].second)
            return true;
    }
    return false;
}

// Each record's fields swapped where it stands; what the patch leaves on is ended.
QString swappedInPlace(QStringView text, const PatchReading &reading, const std::vector<std::size_t> &off, QStringView name)
{
    Rewrite rewrite(text);
    rewrite.copyTo(titleAt(text));
    rewrite.put(QStringLiteral(";Снимает с телефона патч %1\r\n").arg(quoted(name)));
    const char *const bytes = reading.bytes.constData();
    std::size_t next = 0;
    for (std::size_t i = 0; i < reading.records.size(); ++i) {
        const PatchRecord &record = reading.records[i];
        if (next == off.size() || off[next] != i) {
            rewrite.leaveOut(record);
            continue;
        }
        ++next;
        rewrite.replaceFields(record);
        rewrite.putHex({bytes + record.newAt, record.newSize});
        rewrite.put(u' ');
        rewrite.putHex({bytes + record.oldAt, record.newSize});
    }
    rewrite.copyTo(text.size());
    rewrite.finishLine();
    endWhatIsOn(rewrite, reading);
    return rewrite.finish();
}

// The records undone last first, at the addresses they wrote, after the
// patch's other lines, what it left on ended: its offsets stood where its
// records stood, and these no longer do.
QString swappedInReverse(QStringView text, const PatchReading &reading, const std::vector<std::size_t> &off, QStringView name)
{
    Rewrite rewrite(text);
    rewrite.copyTo(titleAt(text));
    rewrite.put(QStringLiteral(";Снимает с телефона патч %1\r\n").arg(quoted(name)));
    for (const PatchRecord &record : reading.records)
        rewrite.leaveOut(record);
    rewrite.copyTo(text.size());
    rewrite.finishLine();
    endWhatIsOn(rewrite, reading);
    rewrite.put(u";Его записи пишут в одни и те же байты и снимаются с последней:\r\n");
    const char *const bytes = reading.bytes.constData();
    for (auto i = off.rbegin(); i != off.rend(); ++i) {
        const PatchRecord &record = reading.records[*i];
        rewrite.put(addressText(record.address));
        rewrite.put(u": ");
        rewrite.putHex({bytes + record.newAt, record.newSize});
        rewrite.put(u' ');
        rewrite.putHex({bytes + record.oldAt, record.newSize});
        rewrite.put(u"\r\n");
    }
    return rewrite.take();
}

// The records of a take-off, in the order its text gives them: each expects
// what the record it undoes wrote, and writes back what that one found.
PatchReading takenOff(const PatchReading &reading, const std::vector<std::size_t> &off, bool lastFirst)
{
    PatchReading taken;
    taken.records.reserve(off.size());
    qsizetype size = 0;
    for (const std::size_t i : off)
        size += 2 * reading.records[i].newSize;
    // Through a pointer: an append per field cost more than the rest.
    taken.bytes.resize(size);
    char *const bytes = taken.bytes.data();
    qsizetype at = 0;
    for (std::size_t n = 0; n < off.size(); ++n) {
        const PatchRecord &record = reading.records[off[lastFirst ? off.size() - 1 - n : n]];
        PatchRecord undo{record.line, record.address, record.newSize, record.newSize, at + record.newSize, at};
        std::memcpy(bytes + at, reading.bytes.constData() + record.newAt, std::size_t(record.newSize));
        std::memcpy(bytes + at + record.newSize, reading.bytes.constData() + record.oldAt, std::size_t(record.newSize));
        at += 2 * record.newSize;
        taken.records.push_back(undo);
    }
    return taken;
}

// The take-off written into `flash`, the flash as the patch leaves it, as the
// tool writes it: the first of its records that does not fit there, or whose
// bytes do not come back as they were before the patch, if one does not.
std::optional<int> notGivenBack(const PatchReading &taken, const BackupImage &flash)
{
    const PatchMatch match = matchPatch(taken, flash);
    for (std::size_t i = 0; i < taken.records.size(); ++i) {
        if (atFault(match.records[i]))
            return taken.records[i].line;
    }
    // Only the bytes it writes, each range once.
    std::vector<FileRange> ranges;
    for (const PatchRecord &record : taken.records)
        ranges.push_back({record.address, record.newSize});
    sortByAddress(ranges, [](const FileRange &a, const FileRange &b) { return a.at < b.at; });
    BackupImage given(flash.size());
    for (std::size_t i = 0; i < ranges.size();) {
        qint64 end = ranges[i].at + ranges[i].length;
        std::size_t next = i + 1;
        for (; next < ranges.size() && ranges[next].at <= end; ++next)
            end = std::max(end, ranges[next].at + ranges[next].length);
        given.add(ranges[i].at, flash.bytes(ranges[i].at, end - ranges[i].at).toByteArray());
        i = next;
    }
    BackupImage before = given;
    writeText(taken, given);
    // Before the patch, each byte held what the first record to write it
    // found: written back last first.
    std::vector<const PatchRecord *> byLine;
    for (const PatchRecord &record : taken.records)
        byLine.push_back(&record);
    std::stable_sort(byLine.begin(), byLine.end(), [](const PatchRecord *a, const PatchRecord *b) { return a->line > b->line; });
    for (const PatchRecord *record : byLine)
        before.write(record->address, taken.newBytes(*record));
    for (const PatchRecord *record : byLine) {
        if (given.bytes(record->address, record->newSize) != before.bytes(record->address, record->newSize))
            return record->line;
    }
    return std::nullopt;
}

} // namespace

PatchEdit takeOffText(QStringView text, const PatchReading &reading, const BackupImage *backup, QStringView name)
{
    if (reading.records.empty())
        return {EditOutcome::NoRecords, {}, {}};
    std::vector<RecordFault> faults;
    // Without a backup, every record is taken off: each needs the bytes it
    // wrote over, which also give the flash the patch found.
    if (!backup) {
        for (const PatchRecord &record : reading.records) {
            if (const std::optional<EditFault> fault = unknownOld(reading, record))
                faults.push_back({*fault, record.line});
        }
        if (!faults.empty())
            return refused(std::move(faults));
    }
    const BackupImage flash = backup ? *backup : asThePatchLeavesIt(reading);
    const PatchMatch match = matchPatch(reading, flash);
    std::vector<std::size_t> off;
    off.reserve(reading.records.size());
    for (std::size_t i = 0; i < reading.records.size(); ++i) {
        const PatchRecord &record = reading.records[i];
        // Bytes that happen to be there are no patch to take off.
        if (const std::optional<RecordFault> fault = faultOf(reading, match, i)) {
            faults.push_back(*fault);
        } else if (match.records[i] != RecordState::Fits) {
            if (const std::optional<EditFault> fault = unknownOld(reading, record))
                faults.push_back({*fault, record.line});
            else
                off.push_back(i);
        }
    }
    if (!faults.empty())
        return refused(std::move(faults));
    if (off.empty())
        return {EditOutcome::NothingOnPhone, {}, {}};
    // Where no two records taken off share a byte, each was chosen for the
    // bytes it wrote standing in the flash, which no other touches: undone,
    // it gives back what its record found by its making. Where some do, the
    // order decides, and the take-off is written into the flash as the tool
    // writes it before anything is appended.
    const bool lastFirst = match.shared && shareBytes(reading, off);
    if (const std::optional<int> line = lastFirst ? notGivenBack(takenOff(reading, off, true), flash) : std::nullopt)
        return refused({{EditFault::NotGivenBack, *line}});
    return {EditOutcome::Done, lastFirst ? swappedInReverse(text, reading, off, name) : swappedInPlace(text, reading, off, name), {}};
}

PatchEdit fillOldBytes(QStringView text, const PatchReading &reading, const BackupImage &backup, int onlyLine)
{
    if (reading.records.empty())
        return {EditOutcome::NoRecords, {}, {}};
    const PatchMatch match = matchPatch(reading, backup);
    std::vector<RecordFault> faults;
    const auto asked = [onlyLine](const PatchRecord &record) { return onlyLine == 0 || record.line == onlyLine; };
    for (std::size_t i = 0; match.atFault && i < reading.records.size(); ++i) {
        if (!asked(reading.records[i]))
            continue;
        if (const std::optional<RecordFault> fault = faultOf(reading, match, i))
            faults.push_back(*fault);
    }
    if (!faults.empty())
        return refused(std::move(faults));
    // What the flash holds when the tool comes to each record: the backup
    // with the records above it written, where records share bytes. Where
    // that is the record's own new bytes, what stood there before is not
    // known. Old bytes written as placeholders are the flash's too, and then
    // both fields are hex.
    const bool meet = match.shared;
    BackupImage flash = backup;
    PatchReading filled;
    if (meet)
        filled = reading;
    Rewrite rewrite(text);
    bool anyToFill = false;
    for (std::size_t i = 0; i < reading.records.size(); ++i) {
        const PatchRecord &record = reading.records[i];
        const std::optional<EditFault> unknown = unknownOld(reading, record);
        if (asked(record) && oldBytesToFill(reading, record)) {
            anyToFill = true;
            const qsizetype size = std::max(record.oldSize, record.newSize);
            const QByteArrayView there = flash.bytes(record.address, size);
            // Alone, a record finds the backup as it stands, as the model does.
            if (meet ? there.first(record.newSize) == reading.newBytes(record) : match.records[i] == RecordState::Applied)
                faults.push_back({EditFault::AlreadyWritten, record.line});
            if (unknown == EditFault::NoOldBytes) {
                rewrite.copyTo(record.fieldsAt);
                rewrite.putHex(there);
                rewrite.put(u' ');
            } else {
                rewrite.replaceFields(record);
                rewrite.putHex(there);
                rewrite.put(u' ');
                rewrite.putHex(reading.newBytes(record));
            }
            if (meet) {
                filled.records[i].oldAt = filled.bytes.size();
                filled.records[i].oldSize = size;
                filled.bytes += there;
            }
        }
        if (meet)
            flash.write(record.address, reading.newBytes(record));
    }
    if (!faults.empty())
        return refused(std::move(faults));
    if (!anyToFill) {
        Rewrite asItStands(text);
        return {EditOutcome::AllHaveOldBytes, asItStands.finish(), {}};
    }
    // With its old bytes, the patch must fit the backup as the tool writes
    // it. Where no records meet, each was given the backup's own bytes there.
    if (meet) {
        const PatchMatch filledMatch = matchPatch(filled, backup);
        for (std::size_t i = 0; i < filled.records.size(); ++i) {
            if (atFault(filledMatch.records[i]) && asked(filled.records[i]))
                return refused({{EditFault::NotGivenBack, filled.records[i].line}});
        }
    }
    return {EditOutcome::Done, rewrite.finish(), {}};
}

std::vector<RecordFault> writeRecords(const PatchReading &reading, QByteArray &flash)
{
    std::vector<RecordFault> faults;
    for (const Finding &finding : reading.findings) {
        if (faults.empty() || faults.back().line != finding.line)
            faults.push_back({EditFault::Unreadable, finding.line});
    }
    // Moved in and out again: written in place, never copied.
    BackupImage image(flash.size());
    image.add(0, std::move(flash));
    const PatchMatch match = matchPatch(reading, image);
    for (std::size_t i = 0; i < match.records.size(); ++i) {
        if (const std::optional<RecordFault> fault = faultOf(reading, match, i))
            faults.push_back(*fault);
    }
    if (faults.empty())
        writeText(reading, image);
    flash = image.takeWhole();
    if (!faults.empty())
        return refused(std::move(faults)).faults;
    return {};
}
