#include "livereading.h"

#include "scanner.h"

#include <algorithm>

namespace {

bool blankLine(QStringView text, qsizetype from, qsizetype to)
{
    return std::all_of(text.begin() + from, text.begin() + to, [](QChar c) { return isBlank(c.unicode()); });
}

// Where the next chunk may begin after `from`, a line start: after the next
// line of blanks only that a line feed ends; else the end.
qsizetype nextBoundary(QStringView text, qsizetype from)
{
    for (qsizetype start = from; start < text.size();) {
        const LineAt line = lineAt(text, start);
        if (line.end >= text.size())
            break;
        if (text[line.next - 1] == u'\n' && blankLine(text, start, line.end))
            return line.next;
        start = line.next;
    }
    return text.size();
}

// Whether a chunk may begin at `at`: the start, or past such a line.
bool boundaryAt(QStringView text, qsizetype at)
{
    if (at == 0)
        return true;
    if (at > text.size() || text[at - 1] != u'\n')
        return false;
    qsizetype end = at - 1;
    if (end > 0 && text[end - 1] == u'\r')
        --end;
    qsizetype start = end;
    while (start > 0 && text[start - 1] != u'\n' && text[start - 1] != u'\r')
        --start;
    return blankLine(text, start, end);
}

int lineBreaks(QStringView text)
{
    int count = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        count += text[i] == u'\n' || (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n'));
    return count;
}

// Nothing of the chunk in force past its end: the next one reads as a text's start.
bool leavesNothingOn(const PatchReading &reading)
{
    if (reading.offset != 0 || reading.offsetLine != 0)
        return false;
    for (int i = 0; i < pragmaCount; ++i) {
        if (reading.pragmaOn[i] != pragmaOnAtStart(Pragma(i)))
            return false;
    }
    return std::none_of(reading.findings.begin(), reading.findings.end(),
                        [](const Finding &f) { return f.kind == FindingKind::UnclosedComment; });
}

} // namespace

LiveReading::Chunk LiveReading::readChunk(QStringView text, qsizetype from, qsizetype to) const
{
    const QStringView chunk = text.sliced(from, to - from);
    PatchReading reading = readPatchText(chunk);
    const bool clean = to < text.size() && leavesNothingOn(reading);
    return {chunk.size(), lineBreaks(chunk), clean, std::move(reading)};
}

std::shared_ptr<const PatchReading> LiveReading::read(QStringView text)
{
    if (text == m_text && m_reading)
        return m_reading;
    // What stayed as it was at the start and at the end.
    const qsizetype shorter = std::min(m_text.size(), text.size());
    const qsizetype prefix = std::mismatch(text.begin(), text.begin() + shorter, m_text.cbegin()).first - text.begin();
    const qsizetype suffix = std::mismatch(text.rbegin(), text.rbegin() + (shorter - prefix), m_text.crbegin()).first - text.rbegin();
    const qsizetype delta = text.size() - m_text.size();

    // Chunks before the edit stay; those wholly past it stay too, where the
    // text read again reaches their start.
    std::vector<Chunk> chunks;
    std::size_t next = 0;
    qsizetype at = 0;
    for (; next < m_chunks.size() && m_chunks[next].clean && at + m_chunks[next].size <= prefix; ++next) {
        at += m_chunks[next].size;
        chunks.push_back(std::move(m_chunks[next]));
    }
    qsizetype oldAt = at;
    while (at < text.size()) {
        while (next < m_chunks.size() && (oldAt < m_text.size() - suffix || oldAt + delta < at)) {
            oldAt += m_chunks[next].size;
            ++next;
        }
        if (next < m_chunks.size() && oldAt + delta == at && boundaryAt(text, at)) {
            std::move(m_chunks.begin() + qsizetype(next), m_chunks.end(), std::back_inserter(chunks));
            break;
        }
        Chunk chunk = readChunk(text, at, nextBoundary(text, at));
        // Something left on: the rest is read as one.
        if (!chunk.clean && at + chunk.size < text.size())
            chunk = readChunk(text, at, text.size());
        at += chunk.size;
        chunks.push_back(std::move(chunk));
    }
    m_chunks = std::move(chunks);
    m_text = text.toString();
    join(text);
    return m_reading;
}

// The chunks' readings as one, at their places in the text.
void LiveReading::join(QStringView text)
{
    auto joined = std::make_shared<PatchReading>();
    PatchReading &reading = *joined;
    reading.bytes.reserve(text.size() / 2);
    for (int i = 0; i < pragmaCount; ++i)
        reading.pragmaOn[i] = pragmaOnAtStart(Pragma(i));
    qsizetype at = 0;
    int line = 0;
    for (const Chunk &chunk : m_chunks) {
        const PatchReading &own = chunk.reading;
        const qsizetype bytesAt = reading.bytes.size();
        for (PatchRecord record : own.records) {
            record.line += line;
            record.newAt += bytesAt;
            if (record.oldSize > 0)
                record.oldAt += bytesAt;
            record.textAt += at;
            record.fieldsAt += at;
            record.textEnd += at;
            reading.records.push_back(record);
        }
        for (Finding finding : own.findings) {
            finding.line += line;
            finding.at += at;
            reading.findings.push_back(finding);
        }
        for (const qsizetype any : own.anyBytes)
            reading.anyBytes.push_back(any + bytesAt);
        reading.bytes += own.bytes;
        reading.offset = own.offset;
        reading.offsetLine = own.offsetLine ? own.offsetLine + line : 0;
        reading.pragmaOn = own.pragmaOn;
        for (int i = 0; i < pragmaCount; ++i)
            reading.pragmaLine[i] = own.pragmaLine[i] ? own.pragmaLine[i] + line : 0;
        at += chunk.size;
        line += chunk.lineBreaks;
    }
    m_reading = std::move(joined);
}
