#include "backupedit.h"

#include "patchformat/header.h"
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
// first of its old bytes as many as its new ones are written back.
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
    const qsizetype lineFeed = text.indexOf(u'\n');
    const QStringView first = lineFeed < 0 ? text : text.first(lineFeed + 1);
    const QStringView words = first.trimmed();
    if (words.startsWith(u';') && phoneFirmware(words.sliced(1)))
        return first.size();
    return 0;
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

} // namespace

PatchEdit takeOffText(QStringView text, const PatchReading &reading, const PatchMatch *onPhone, QStringView name)
{
    if (reading.records.empty())
        return {EditOutcome::NoRecords, {}, {}};
    // Written as the records come, in one pass: a fault found on the way
    // makes it all go.
    Rewrite rewrite(text);
    rewrite.copyTo(titleAt(text));
    rewrite.put(QStringLiteral(";Снимает с телефона патч «%1»\r\n").arg(name));
    std::vector<RecordFault> faults;
    bool anyOff = false;
    const char *const bytes = reading.bytes.constData();
    for (std::size_t i = 0; i < reading.records.size(); ++i) {
        const PatchRecord &record = reading.records[i];
        switch (onPhone ? onPhone->records[i] : RecordState::Applied) {
        case RecordState::Applied:
        case RecordState::Unchanged:
            if (const std::optional<EditFault> fault = unknownOld(reading, record)) {
                faults.push_back({*fault, record.line});
                break;
            }
            anyOff = true;
            rewrite.replaceFields(record);
            rewrite.putHex({bytes + record.newAt, record.newSize});
            rewrite.put(u' ');
            rewrite.putHex({bytes + record.oldAt, record.newSize});
            break;
        case RecordState::Fits:
            rewrite.leaveOut(record);
            break;
        // Bytes that happen to be there are no patch to take off.
        case RecordState::DoesNotFit:
            faults.push_back({EditFault::DoesNotFit, record.line});
            break;
        case RecordState::Outside:
            faults.push_back({EditFault::Outside, record.line});
            break;
        }
    }
    if (!faults.empty())
        return refused(std::move(faults));
    if (!anyOff)
        return {EditOutcome::NothingOnPhone, {}, {}};
    rewrite.copyTo(text.size());
    rewrite.finishLine();
    endWhatIsOn(rewrite, reading);
    return {EditOutcome::Done, rewrite.finish(), {}};
}

PatchEdit fillOldBytes(QStringView text, const PatchReading &reading, const PatchMatch &match, const BackupImage &backup)
{
    if (reading.records.empty())
        return {EditOutcome::NoRecords, {}, {}};
    std::vector<RecordFault> faults;
    bool anyToFill = false;
    for (std::size_t i = 0; i < reading.records.size(); ++i) {
        const PatchRecord &record = reading.records[i];
        const RecordState state = match.records[i];
        if (state == RecordState::Outside || state == RecordState::DoesNotFit)
            faults.push_back({state == RecordState::Outside ? EditFault::Outside : EditFault::DoesNotFit, record.line});
        else if (record.oldSize == 0 && state == RecordState::Applied)
            faults.push_back({EditFault::AlreadyWritten, record.line});
        anyToFill = anyToFill || record.oldSize == 0;
    }
    if (!faults.empty())
        return refused(std::move(faults));
    if (!anyToFill) {
        Rewrite asItStands(text);
        return {EditOutcome::AllHaveOldBytes, asItStands.finish(), {}};
    }
    Rewrite rewrite(text);
    for (const PatchRecord &record : reading.records) {
        if (record.oldSize > 0)
            continue;
        rewrite.copyTo(record.fieldsAt);
        rewrite.putHex(backup.bytes(record.address, record.newSize));
        rewrite.put(u' ');
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
    {
        // The image shares the flash's bytes only while it lives: written
        // into after, they are not copied.
        BackupImage image(flash.size());
        image.add(0, flash);
        const PatchMatch match = matchPatch(reading, image);
        for (std::size_t i = 0; i < match.records.size(); ++i) {
            if (match.records[i] == RecordState::DoesNotFit)
                faults.push_back({EditFault::DoesNotFit, reading.records[i].line});
            else if (match.records[i] == RecordState::Outside)
                faults.push_back({EditFault::Outside, reading.records[i].line});
        }
    }
    if (!faults.empty())
        return refused(std::move(faults)).faults;
    char *const bytes = flash.data();
    for (const PatchRecord &record : reading.records)
        std::memcpy(bytes + record.address, reading.newBytes(record).data(), std::size_t(record.newSize));
    return {};
}
