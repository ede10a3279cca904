#pragma once

#include "failure.h"

#include <QByteArray>
#include <QString>
#include <span>
#include <vector>

struct FileRange {
    qint64 at;
    qint64 length;
};

// The size of the regular file at `path` once it opens for reading, or why
// it does not, in the words readFile uses.
Status readableFileSize(const QString &path, qint64 &size);

// Reads each of `ranges`, which lie inside the file, into `pieces`. The file
// is only read, shared with every other program, and closed again before this
// returns. Fails when it is no longer `expectedSize` bytes or changes while
// it is read.
Status readFileRanges(const QString &path, qint64 expectedSize, std::span<const FileRange> ranges,
                      std::vector<QByteArray> &pieces);
