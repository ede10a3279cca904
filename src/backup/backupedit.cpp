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
    rewrite.put(QStringLiteral(";Снимает с телефона патч «%1»\r\n").arg(name));
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

// The records undone last first, at the addresses they wrote: the lines of
// the patch cannot be kept, as its offsets stand where they stood.
QString swappedInReverse(QStringView text, const PatchReading &reading, const std::vector<std::size_t> &off, QStringView name)
{
    Rewrite rewrite(text);
    rewrite.copyTo(titleAt(text));
    rewrite.put(QStringLiteral(";Снимает с телефона патч «%1»\r\n"
                               ";Его записи пишут в одни и те же байты, и снимаются с последней.\r\n")
                    .arg(name));
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

// The take-off read as the tool reads it and written into `flash`, the flash
// as the patch leaves it: the first record taken off whose bytes do not come
// back as they were before the patch, if one does not.
std::optional<std::size_t> notGivenBack(const QString &offText, const PatchReading &reading,
                                        const std::vector<std::size_t> &off, const BackupImage &flash)
{
    const PatchReading offReading = readPatchText(offText);
    const PatchMatch offMatch = matchPatch(offReading, flash);
    BackupImage given = flash, before = flash;
    writeText(offReading, given);
    for (auto i = off.rbegin(); i != off.rend(); ++i) {
        const PatchRecord &record = reading.records[*i];
        before.write(record.address, reading.oldBytes(record).first(record.newSize));
    }
    const bool written = offReading.records.size() == off.size()
        && std::none_of(offMatch.records.begin(), offMatch.records.end(), atFault);
    for (const std::size_t i : off) {
        const PatchRecord &record = reading.records[i];
        if (!written || given.bytes(record.address, record.newSize) != before.bytes(record.address, record.newSize))
            return i;
    }
    // Nothing written elsewhere either.
    if (!(given == before))
        return off.front();
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
    const QString offText = shareBytes(reading, off) ? swappedInReverse(text, reading, off, name)
                                                     : swappedInPlace(text, reading, off, name);
    if (const std::optional<std::size_t> wrong = notGivenBack(offText, reading, off, flash))
        return refused({{EditFault::NotGivenBack, reading.records[*wrong].line}});
    return {EditOutcome::Done, offText, {}};
}

PatchEdit fillOldBytes(QStringView text, const PatchReading &reading, const BackupImage &backup)
{
    if (reading.records.empty())
        return {EditOutcome::NoRecords, {}, {}};
    const PatchMatch match = matchPatch(reading, backup);
    std::vector<RecordFault> faults;
    for (std::size_t i = 0; i < reading.records.size(); ++i) {
        if (const std::optional<RecordFault> fault = faultOf(reading, match, i))
            faults.push_back(*fault);
    }
    if (!faults.empty())
        return refused(std::move(faults));
    // What the flash holds when the tool comes to each record: the backup
    // with the records above it written. Where that is the record's own new
    // bytes, what stood there before is not known. Old bytes written as
    // placeholders are the flash's too, and then both fields are hex.
    BackupImage flash = backup;
    Rewrite rewrite(text);
    bool anyToFill = false;
    for (const PatchRecord &record : reading.records) {
        const std::optional<EditFault> unknown = unknownOld(reading, record);
        if (unknown == EditFault::NoOldBytes || unknown == EditFault::PlaceholderInOld) {
            anyToFill = true;
            if (flash.bytes(record.address, record.newSize) == reading.newBytes(record))
                faults.push_back({EditFault::AlreadyWritten, record.line});
            if (unknown == EditFault::NoOldBytes) {
                rewrite.copyTo(record.fieldsAt);
                rewrite.putHex(flash.bytes(record.address, record.newSize));
                rewrite.put(u' ');
            } else {
                rewrite.replaceFields(record);
                rewrite.putHex(flash.bytes(record.address, record.oldSize));
                rewrite.put(u' ');
                rewrite.putHex(reading.newBytes(record));
            }
        }
        flash.write(record.address, reading.newBytes(record));
    }
    if (!faults.empty())
        return refused(std::move(faults));
    if (!anyToFill) {
        Rewrite asItStands(text);
        return {EditOutcome::AllHaveOldBytes, asItStands.finish(), {}};
    }
    const QString filled = rewrite.finish();
    // Read back, it must fit and write just what the patch writes.
    const PatchReading filledReading = readPatchText(filled);
    const PatchMatch filledMatch = matchPatch(filledReading, backup);
    for (std::size_t i = 0; i < reading.records.size(); ++i) {
        const PatchRecord &record = reading.records[i];
        if (i >= filledReading.records.size() || atFault(filledMatch.records[i])
            || filledReading.records[i].address != record.address
            || filledReading.newBytes(filledReading.records[i]) != reading.newBytes(record))
            return refused({{EditFault::NotGivenBack, record.line}});
    }
    return {EditOutcome::Done, filled, {}};
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
