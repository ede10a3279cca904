#include "backupedit.h"

#include "patchformat/header.h"
#include "patchformat/words.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

void appendHex(QString &out, QByteArrayView bytes)
{
    static constexpr char16_t digits[] = u"0123456789ABCDEF";
    const qsizetype at = out.size();
    out.resize(at + 2 * bytes.size());
    char16_t *p = reinterpret_cast<char16_t *>(out.data()) + at;
    for (const char byte : bytes) {
        *p++ = digits[uchar(byte) >> 4];
        *p++ = digits[uchar(byte) & 0xF];
    }
}

// The patch's text copied piece by piece, each record where it stood
// written otherwise or left out.
class Rewrite
{
public:
    explicit Rewrite(QStringView text)
        : m_text(text)
    {
        m_out.reserve(text.size() + text.size() / 4 + 256);
    }

    QString &out() { return m_out; }
    void copyTo(qsizetype to)
    {
        m_out += m_text.sliced(m_from, to - m_from);
        m_from = to;
    }
    // From the record's address or its fields to its end, what it becomes.
    void replaceFields(const PatchRecord &record) { replace(record.fieldsAt, record.textEnd); }
    void leaveOut(const PatchRecord &record) { replace(record.textAt, record.textEnd); }
    QString finish()
    {
        copyTo(m_text.size());
        if (!m_out.isEmpty() && !m_out.endsWith(u'\n') && !m_out.endsWith(u'\r'))
            m_out += u"\r\n";
        return std::move(m_out);
    }

private:
    void replace(qsizetype from, qsizetype to)
    {
        copyTo(from);
        m_from = to;
    }

    QStringView m_text;
    QString m_out;
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
void endWhatIsOn(QString &out, const PatchReading &reading)
{
    if (reading.offset != 0)
        out += u"+0\r\n";
    for (int i = 0; i < pragmaCount; ++i) {
        const Pragma pragma = Pragma(i);
        if (reading.pragmaOn[i] != pragmaOnAtStart(pragma))
            out += pragmaLine(pragma, pragmaOnAtStart(pragma)) + QStringLiteral("\r\n");
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
    std::vector<char> off(reading.records.size());
    std::vector<RecordFault> faults;
    for (std::size_t i = 0; i < reading.records.size(); ++i) {
        const PatchRecord &record = reading.records[i];
        switch (onPhone ? onPhone->records[i] : RecordState::Applied) {
        case RecordState::Applied:
        case RecordState::Unchanged:
            off[i] = true;
            if (const std::optional<EditFault> fault = unknownOld(reading, record))
                faults.push_back({*fault, record.line});
            break;
        case RecordState::Fits:
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
    if (std::find(off.begin(), off.end(), true) == off.end())
        return {EditOutcome::NothingOnPhone, {}, {}};

    Rewrite rewrite(text);
    rewrite.copyTo(titleAt(text));
    rewrite.out() += QStringLiteral(";Снимает с телефона патч «%1»\r\n").arg(name);
    for (std::size_t i = 0; i < reading.records.size(); ++i) {
        const PatchRecord &record = reading.records[i];
        if (!off[i]) {
            rewrite.leaveOut(record);
            continue;
        }
        rewrite.replaceFields(record);
        appendHex(rewrite.out(), reading.newBytes(record));
        rewrite.out() += u' ';
        appendHex(rewrite.out(), reading.oldBytes(record).first(record.newSize));
    }
    PatchEdit edit{EditOutcome::Done, rewrite.finish(), {}};
    endWhatIsOn(edit.text, reading);
    return edit;
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
        appendHex(rewrite.out(), backup.bytes(record.address, record.newSize));
        rewrite.out() += u' ';
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
