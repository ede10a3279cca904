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
    // Writes `bytes` at `at`, inside one piece read; false where they do
    // not lie in one. A copy of the image shares what neither writes.
    bool write(qint64 at, QByteArrayView bytes);
    // The flash read whole in one piece, taken out; empty where it was not.
    QByteArray takeWhole();
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
    std::optional<std::size_t> pieceHolding(qint64 at, qint64 length) const;

    qint64 m_size;
    std::vector<std::pair<qint64, QByteArray>> m_pieces;
    mutable std::size_t m_last = 0;
};

// What of a backup a check of these readings compares: every record inside
// it, nearby ones read together.
std::vector<FileRange> rangesToRead(std::span<const PatchReading *const> readings, qint64 backupSize);
