#include "backupcopy.h"

#include "backupedit.h"
#include "editwords.h"
#include "runtime/textfile.h"

Status flashedCopy(const Backup &backup, const PatchReading &reading, FlashedCopy &copy)
{
    // One range of the whole file: read at the size it was chosen with, or
    // refused as changed.
    const FileRange whole[] = {{0, backup.size}};
    std::vector<QByteArray> pieces;
    if (Status failure = readFileRanges(backup.path, backup.size, whole, pieces)) {
        failure->summary = QStringLiteral("Копия прошивки больше не читается, и сверка с ней выключена. Копия после прошивки не сохранена.");
        return failure;
    }
    copy = {std::move(pieces.front()), std::nullopt};
    const std::vector<RecordFault> faults = writeRecords(reading, copy.bytes);
    if (!faults.empty()) {
        copy.bytes.clear();
        copy.refused = Failure{QStringLiteral("Копия после прошивки не сохранена: прошивальщик запишет этот текст не так, как он написан."),
                               QString(), copyReason(faults, backupName(backup))};
    }
    return std::nullopt;
}

Status saveFlashedCopy(const QString &path, QByteArrayView bytes)
{
    Status failure = writeFile(path, bytes);
    if (failure)
        failure->summary = QStringLiteral("Не удалось сохранить копию после прошивки.");
    return failure;
}
