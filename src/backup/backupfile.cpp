#include "backupfile.h"

#include "backupwords.h"

#include <QFileInfo>

namespace {

Status withSummary(Status failure, const QString &summary)
{
    if (failure)
        failure->summary = summary;
    return failure;
}

} // namespace

Status chooseBackup(const QString &path, Backup &backup)
{
    const QString summary = QStringLiteral("Не удалось сверить патчи с копией прошивки.");
    qint64 size = 0;
    if (Status failure = readableFileSize(path, size))
        return withSummary(failure, summary);
    if (size == 0)
        return Failure{summary, path, QStringLiteral("файл пуст")};
    if (size < smallestBackup) {
        return Failure{summary, path,
                       QStringLiteral("в файле %1 Б, а полная копия прошивки занимает десятки МиБ: "
                                      "выберите файл, который прошивальщик записал при чтении всей памяти телефона")
                           .arg(size)};
    }
    backup = {path, size};
    return std::nullopt;
}

Status readBackupFor(const Backup &backup, std::span<const PatchReading *const> readings, BackupImage &image)
{
    const std::vector<FileRange> ranges = rangesToRead(readings, backup.size);
    std::vector<QByteArray> pieces;
    if (Status failure = readFileRanges(backup.path, backup.size, ranges, pieces))
        return withSummary(failure, QStringLiteral("Копия прошивки больше не читается, и сверка с ней выключена."));
    image = BackupImage(backup.size);
    for (std::size_t i = 0; i < ranges.size(); ++i)
        image.add(ranges[i].at, std::move(pieces[i]));
    return std::nullopt;
}

QString backupName(const Backup &backup)
{
    return QStringLiteral("«%1»").arg(QFileInfo(backup.path).fileName());
}

Status checkAgainstBackup(const Backup &backup, const PatchReading &reading, std::vector<WarningItem> &items)
{
    BackupImage image;
    const PatchReading *readings[] = {&reading};
    if (Status failure = readBackupFor(backup, readings, image)) {
        failure->summary += QStringLiteral(" Патч не передан: нажмите кнопку ещё раз, чтобы передать его без сверки.");
        return failure;
    }
    items = backupWarnings(reading, matchPatch(reading, image), image, backupName(backup));
    return std::nullopt;
}
