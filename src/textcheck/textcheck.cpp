#include "textcheck.h"

#include "backup/backupwords.h"
#include "patchformat/findingwords.h"
#include "patchformat/scanner.h"
#include "patchformat/words.h"

#include <QFileInfo>
#include <QStringList>
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

// The meeting of record `i`, if it meets an earlier one.
const RecordMeeting *meetingOf(const std::vector<RecordMeeting> &meetings, std::size_t i)
{
    const auto m = std::lower_bound(meetings.begin(), meetings.end(), i, [](const RecordMeeting &m, std::size_t r) { return m.record < r; });
    return m != meetings.end() && m->record == i ? &*m : nullptr;
}

} // namespace

TextCheck checkText(QStringView text, std::shared_ptr<const PatchReading> reading, const BackupImage *backup,
                    const QString &backupName)
{
    auto checked = std::make_shared<CheckedText>();
    checked->text = text.toString();
    checked->reading = reading;
    checked->backupName = backupName;
    checked->meetings = recordsMeet(*reading).meetings;
    TextCheck check;
    std::vector<WarningItem> more;
    if (backup) {
        checked->backup = *backup;
        checked->match = matchPatch(*reading, *backup);
        more = backupWarnings(*reading, *checked->match, *backup, backupName);
    }
    check.notices = handoverNotices(text, *reading, more);

    // Each line's worst mark; without a backup, only what the text alone says.
    std::vector<MarkedLine> marks;
    for (const Finding &finding : reading->findings)
        marks.push_back({finding.line, markOf(finding)});
    for (const RecordMeeting &m : checked->meetings) {
        if (m.meeting == Meeting::Contradicts)
            marks.push_back({reading->records[m.record].line, LineMark::Rewritten});
    }
    if (checked->match) {
        for (std::size_t i = 0; i < reading->records.size(); ++i)
            marks.push_back({reading->records[i].line, markOf(checked->match->records[i])});
    }
    std::stable_sort(marks.begin(), marks.end(), [](const MarkedLine &a, const MarkedLine &b) { return a.line < b.line; });
    for (const MarkedLine &mark : marks) {
        if (!check.lines.empty() && check.lines.back().line == mark.line)
            check.lines.back().mark = std::min(check.lines.back().mark, mark.mark);
        else
            check.lines.push_back(mark);
    }
    check.checked = std::move(checked);
    return check;
}

QString lineWords(const CheckedText &checked, int line)
{
    const PatchReading &reading = *checked.reading;
    QStringList said;
    for (const Finding &finding : reading.findings) {
        if (finding.line != line)
            continue;
        QString words = sentence(findingWords(finding, checked.text));
        if (finding.kind == FindingKind::Unfinished) {
            if (const QStringList comments = commentsAbove(checked.text, line); !comments.isEmpty())
                words += QStringLiteral("\n\nВыше сказано:\n") + comments.join(u'\n');
        }
        said += words;
    }
    const auto record = std::lower_bound(reading.records.begin(), reading.records.end(), line,
                                         [](const PatchRecord &r, int l) { return r.line < l; });
    if (record != reading.records.end() && record->line == line) {
        const std::size_t i = std::size_t(record - reading.records.begin());
        const RecordMeeting *met = meetingOf(checked.meetings, i);
        QStringList words;
        if (met && met->meeting == Meeting::Contradicts) {
            words += sentence(contradictionWords(line, reading.records[met->earlier].line, met->written))
                + QStringLiteral(", и прошивальщик её не запишет.");
        }
        if (checked.match)
            words += recordWords(reading, *record, checked.match->records[i], checked.backup, checked.backupName);
        if (!words.isEmpty() && met && met->meeting != Meeting::Contradicts) {
            words += QStringLiteral("Эти байты перед ней %1 запись в строке %2.")
                         .arg(met->written ? QStringLiteral("писала") : QStringLiteral("ждёт"))
                         .arg(reading.records[met->earlier].line);
        }
        if (!words.isEmpty())
            said += words.join(u'\n');
    }
    return said.join(QStringLiteral("\n\n"));
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
    const std::shared_ptr<const PatchReading> reading = m_reading.read(text);
    Status failure;
    if (backup)
        failure = readFor(*backup, *reading);
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
