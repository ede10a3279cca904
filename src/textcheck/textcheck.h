#pragma once

#include "backup/backupfile.h"
#include "patchformat/livereading.h"
#include "patchformat/patchwarnings.h"
#include "patchformat/recordsmeet.h"

#include <QDateTime>
#include <memory>
#include <optional>
#include <vector>

// The patch text as it is typed: what the flash will do with each line, and
// everything the box before a hand-over would say of it.

// A line's mark: its record's state against the backup, or what the reader
// says of the line; the worst where there are both.
enum class LineMark { Unreadable, Placeholder, Rewritten, DoesNotFit, Outside, Doubt, Applied, Fits, Unchanged };

struct MarkedLine {
    int line;
    LineMark mark;

    bool operator==(const MarkedLine &) const = default;
};

// What a check read and matched, kept for the words of a line: worded only
// when asked for, as a tooltip is, since wording every line cost more than
// the check.
struct CheckedText {
    QString text;
    std::shared_ptr<const PatchReading> reading;
    std::optional<PatchMatch> match;
    BackupImage backup; // the pieces read, where a backup was in use
    QString backupName;
    std::vector<RecordMeeting> meetings;
};

struct TextCheck {
    std::vector<MarkedLine> lines; // the lines that have a mark, in their order
    std::vector<Notice> notices;   // what the box before a hand-over says, whole
    Status backupFailure;          // the backup no longer reads: checked as without one
    std::shared_ptr<const CheckedText> checked;
};

// What `text`, read as `reading`, says: alone, or against the backup called
// `backupName`, read where the records reach.
TextCheck checkText(QStringView text, std::shared_ptr<const PatchReading> reading, const BackupImage *backup,
                    const QString &backupName);

// What is said of `line` of a checked text, for its tooltip and a screen
// reader: the state of its record, what it expects, writes and finds, the
// record that wrote there before it; what the reader says of the line, with
// the comments above a placeholder. Empty for a line without a mark.
QString lineWords(const CheckedText &checked, int line);

// The comment lines just above `line`, the nearest last, as a template's
// author explains the values to fill in there.
QStringList commentsAbove(QStringView text, int line);

// A text checked again and again as it is edited: read again only where an
// edit reached, and the backup read again only where the records reach
// bytes not read before, or when it changed.
class LiveCheck
{
public:
    TextCheck check(QStringView text, const std::optional<Backup> &backup);

private:
    Status readFor(const Backup &backup, const PatchReading &reading);

    LiveReading m_reading;
    std::optional<Backup> m_read; // whose pieces m_image holds
    QDateTime m_modified;
    BackupImage m_image;
};
