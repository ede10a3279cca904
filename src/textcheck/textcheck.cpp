#include "textcheck.h"

#include "backup/backupwords.h"
#include "patchformat/findingwords.h"
#include "patchformat/recordsmeet.h"
#include "patchformat/scanner.h"
#include "patchformat/words.h"

#include <QFileInfo>
#include <algorithm>

namespace {

QString sentence(QString words)
{
    if (!words.isEmpty())
        words[0] = words[0].toUpper();
    return words;
}

LineMark markOf(RecordState state)
{
    switch (state) {
    case RecordState::Applied:
        return LineMark::Applied;
    case RecordState::Fits:
        return LineMark::Fits;
    case RecordState::Unchanged:
        return LineMark::Unchanged;
    case RecordState::DoesNotFit:
        return LineMark::DoesNotFit;
    case RecordState::Outside:
        return LineMark::Outside;
    case RecordState::Rewritten:
        break;
    }
    return LineMark::Rewritten;
}

LineMark markOf(const Finding &finding)
{
    if (finding.kind == FindingKind::Unfinished)
        return LineMark::Placeholder;
    return severity(finding.kind) == Severity::Doubt ? LineMark::Doubt : LineMark::Unreadable;
}

// Each line's marks as one: the worst mark, all the words.
std::vector<MarkedLine> joined(std::vector<MarkedLine> marks)
{
    std::stable_sort(marks.begin(), marks.end(), [](const MarkedLine &a, const MarkedLine &b) { return a.line < b.line; });
    std::vector<MarkedLine> lines;
    for (MarkedLine &mark : marks) {
        if (!lines.empty() && lines.back().line == mark.line) {
            lines.back().mark = std::min(lines.back().mark, mark.mark);
            lines.back().words += QStringLiteral("\n\n") + mark.words;
        } else {
            lines.push_back(std::move(mark));
        }
    }
    return lines;
}

} // namespace

TextCheck checkText(QStringView text, const PatchReading &reading, const BackupImage *backup, const QString &backupName)
{
    TextCheck check;
    std::optional<PatchMatch> match;
    std::vector<WarningItem> more;
    if (backup) {
        match = matchPatch(reading, *backup);
        more = backupWarnings(reading, *match, *backup, backupName);
    }
    check.notices = handoverNotices(text, reading, more);

    std::vector<MarkedLine> marks;
    for (const Finding &finding : reading.findings) {
        QString words = sentence(findingWords(finding, text));
        if (finding.kind == FindingKind::Unfinished) {
            if (const QStringList comments = commentsAbove(text, finding.line); !comments.isEmpty())
                words += QStringLiteral("\n\nВыше сказано:\n") + comments.join(u'\n');
        }
        marks.push_back({finding.line, markOf(finding), words});
    }
    // Where records meet: which one last wrote, or else expects, the bytes
    // a record finds.
    const std::vector<RecordMeeting> meetings = recordsMeet(reading).meetings;
    auto meeting = meetings.begin();
    for (std::size_t i = 0; i < reading.records.size(); ++i) {
        const PatchRecord &record = reading.records[i];
        while (meeting != meetings.end() && meeting->record < i)
            ++meeting;
        const RecordMeeting *met = meeting != meetings.end() && meeting->record == i ? &*meeting : nullptr;
        QStringList words;
        LineMark mark = LineMark::Rewritten;
        if (met && met->meeting == Meeting::Contradicts) {
            words += sentence(contradictionWords(record.line, reading.records[met->earlier].line, met->written))
                + QStringLiteral(", и прошивальщик её не запишет.");
            mark = LineMark::Rewritten;
        }
        if (match && match->records[i] != RecordState::Rewritten) {
            words += recordWords(reading, record, match->records[i], *backup, backupName);
            mark = markOf(match->records[i]);
        } else if (match) {
            words += recordWords(reading, record, RecordState::Rewritten, *backup, backupName);
        }
        if (words.isEmpty())
            continue; // without a backup, only what the text alone says
        if (met && met->meeting != Meeting::Contradicts) {
            words += QStringLiteral("Эти байты перед ней %1 запись в строке %2.")
                         .arg(met->written ? QStringLiteral("писала") : QStringLiteral("ждёт"))
                         .arg(reading.records[met->earlier].line);
        }
        marks.push_back({record.line, mark, words.join(u'\n')});
    }
    check.lines = joined(std::move(marks));
    return check;
}

QStringList commentsAbove(QStringView text, int line)
{
    // The lines' starts up to `line`, then back while they are comments.
    std::vector<std::pair<qsizetype, qsizetype>> lines;
    for (qsizetype start = 0; start < text.size() && int(lines.size()) < line - 1;) {
        const LineAt at = lineAt(text, start);
        lines.emplace_back(start, at.end);
        start = at.next;
    }
    constexpr int most = 6;
    QStringList comments;
    for (auto l = lines.rbegin(); l != lines.rend() && comments.size() < most; ++l) {
        QStringView content = text.sliced(l->first, l->second - l->first).trimmed();
        if (!startsLineComment(content))
            break;
        while (!content.isEmpty() && (content.front() == u';' || content.front() == u'/' || content.front() == u'#'))
            content = content.sliced(1);
        comments.prepend(content.trimmed().toString());
    }
    return comments;
}

TextCheck LiveCheck::check(QStringView text, const std::optional<Backup> &backup)
{
    const PatchReading &reading = m_reading.read(text);
    Status failure;
    if (backup)
        failure = readFor(*backup, reading);
    const bool against = backup && !failure;
    TextCheck check = checkText(text, reading, against ? &m_image : nullptr, against ? backupName(*backup) : QString());
    check.backupFailure = failure;
    return check;
}

// The pieces the records reach, read again only where not read before.
Status LiveCheck::readFor(const Backup &backup, const PatchReading &reading)
{
    const QDateTime modified = QFileInfo(backup.path).lastModified();
    const PatchReading *readings[] = {&reading};
    bool held = m_read == backup && m_modified == modified;
    if (held) {
        for (const FileRange &range : rangesToRead(readings, backup.size)) {
            if (m_image.bytes(range.at, range.length).size() != range.length) {
                held = false;
                break;
            }
        }
    }
    if (held)
        return std::nullopt;
    m_read.reset();
    if (Status failure = readBackupFor(backup, readings, m_image))
        return failure;
    m_read = backup;
    m_modified = modified;
    return std::nullopt;
}
