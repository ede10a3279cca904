#pragma once

#include "patchformat/patchreader.h"
#include "runtime/filerange.h"

#include <QByteArray>
#include <optional>
#include <span>
#include <vector>

// A full-flash backup as a check sees it: its size, and the pieces of it that
// were read, ascending and apart.
class BackupImage
{
public:
    explicit BackupImage(qint64 size = 0) : m_size(size) {}

    qint64 size() const { return m_size; }
    void add(qint64 at, QByteArray bytes);
    // The bytes at..at+length, which lie in one piece read; none where they do
    // not. Records mostly come in the order of their addresses, so the piece
    // last looked in is tried first, here, where a check can do without a call.
    QByteArrayView bytes(qint64 at, qint64 length) const
    {
        if (m_last < m_pieces.size()) {
            const auto &[from, piece] = m_pieces[m_last];
            if (at >= from && at + length <= from + piece.size())
                return QByteArrayView(piece).sliced(at - from, length);
        }
        return bytesElsewhere(at, length);
    }

private:
    QByteArrayView bytesElsewhere(qint64 at, qint64 length) const;

    qint64 m_size;
    std::vector<std::pair<qint64, QByteArray>> m_pieces;
    mutable std::size_t m_last = 0;
};

// What of a backup a check of these readings compares: every record inside
// it, nearby ones read together.
std::vector<FileRange> rangesToRead(std::span<const PatchReading *const> readings, qint64 backupSize);

// Unchanged: the backup holds both its old and its new bytes, which are the
// same, so the record tells nothing either way.
enum class RecordState { Applied, Fits, Unchanged, DoesNotFit, Outside };

// A patch against the backup: applied, not applied but fitting, partly
// applied, written for another firmware, or reaching past the backup's end.
enum class PatchState { NoRecords, Applied, NotApplied, PartlyApplied, DoesNotFit, Outside };

struct PatchMatch {
    PatchState state = PatchState::NoRecords;
    std::vector<RecordState> records; // in the order of the text
    // Where the state is DoesNotFit or Outside: the first such record.
    std::optional<std::size_t> atFault;
};

// A record is applied where the backup holds its new bytes, and fits where it
// holds its old ones (a placeholder matches any byte) or, with no old bytes
// given, where the new ones are not there yet.
PatchMatch matchPatch(const PatchReading &reading, const BackupImage &backup);
