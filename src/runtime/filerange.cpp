#include "filerange.h"

#include "textfile_p.h"

#include <QFile>
#include <QFileInfo>

namespace {

QString sizeChangedReason(qint64 was, qint64 is)
{
    return QStringLiteral("файл изменился: в нём было %1 Б, а теперь %2 Б").arg(was).arg(is);
}

} // namespace

Status readableFileSize(const QString &path, qint64 &size)
{
    QFile file(path);
    if (auto reason = openToRead(file))
        return readFailure(path, *reason);
    size = file.size();
    return std::nullopt;
}

Status readFileRanges(const QString &path, qint64 expectedSize, std::span<const FileRange> ranges,
                      std::vector<QByteArray> &pieces)
{
    QFile file(path);
    if (auto reason = openToRead(file))
        return readFailure(path, *reason);
    if (file.size() != expectedSize)
        return readFailure(path, sizeChangedReason(expectedSize, file.size()));
    pieces.clear();
    pieces.reserve(ranges.size());
    for (const FileRange &range : ranges) {
        QByteArray piece(range.length, Qt::Uninitialized);
        if (!file.seek(range.at))
            return readFailure(path, deviceReason(file));
        const qint64 got = file.read(piece.data(), range.length);
        if (got < 0)
            return readFailure(path, deviceReason(file));
        // Cut short while read: a read of an ordinary file gives all it asks for.
        if (got != range.length)
            return readFailure(path, QStringLiteral("файл изменился во время чтения"));
        pieces.push_back(std::move(piece));
    }
    return std::nullopt;
}
