#pragma once

// What textfile.cpp shares with its platform halves, textfile_posix.cpp and
// textfile_windows.cpp, and with filerange.cpp, so that the user reads the
// same reasons everywhere.

#include "failure.h"

#include <QString>
#include <optional>

class QFile;
class QFileDevice;

QString withDetail(const QString &reason, const QString &detail);
Failure readFailure(const QString &path, const QString &reason);
QString deviceReason(const QFileDevice &file);
// Whether another program keeps the file open in a way that stops it being
// replaced (Windows lets a file be renamed over only when every holder allows it).
bool heldOpenElsewhere(const QString &path);
// Opens `file` for reading if it is a regular file, or says why not.
std::optional<QString> openToRead(QFile &file);
// Why no file can be made in `folder` (no rights, a read-only medium), or
// nothing when one can.
std::optional<QString> folderWriteReason(const QString &folder);

inline QString missingFileReason() { return QStringLiteral("файл не найден"); }
inline QString linkLoopReason() { return QStringLiteral("ссылка ведёт на несуществующий файл или по кругу"); }
inline QString directoryReason() { return QStringLiteral("это папка, а не файл"); }
inline QString notRegularFileReason() { return QStringLiteral("это не обычный файл (канал или устройство)"); }
inline QString noPermissionReason() { return QStringLiteral("нет прав доступа"); }
inline QString heldElsewhereReason()
{
    return QStringLiteral("файл открыт в другой программе (например, в V_klay): закройте его там и повторите");
}
inline QString noFolderRightsReason() { return QStringLiteral("нет прав на запись в папку"); }
inline QString readOnlyMediumReason() { return QStringLiteral("папка на носителе, защищённом от записи"); }
inline QString notOpenedReason() { return QStringLiteral("файл не открывается"); }
