#include "win32path.h"

#include <QDir>

#include <windows.h>

std::wstring win32Path(const QString &path)
{
    QString native = QDir::toNativeSeparators(QDir::cleanPath(QDir::current().absoluteFilePath(path)));
    // CreateDirectoryW takes less than MAX_PATH - 12 characters, room for an
    // 8.3 file name in the new folder (the other calls less than MAX_PATH):
    // from there on only the \\?\ form reaches them.
    if (native.size() >= MAX_PATH - 12 && !native.startsWith(u"\\\\?\\")) {
        if (native.startsWith(u"\\\\"))
            native = QStringLiteral("\\\\?\\UNC\\") + native.mid(2);
        else
            native = QStringLiteral("\\\\?\\") + native;
    }
    return native.toStdWString();
}
