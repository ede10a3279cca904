#include "win32path.h"

#include <QDir>

#include <windows.h>

std::wstring win32Path(const QString &path)
{
    QString native = QDir::toNativeSeparators(QDir::cleanPath(QDir::current().absoluteFilePath(path)));
    if (native.size() >= MAX_PATH - 12 && !native.startsWith(u"\\\\?\\")) {
        if (native.startsWith(u"\\\\"))
            native = QStringLiteral("\\\\?\\UNC\\") + native.mid(2);
        else
            native = QStringLiteral("\\\\?\\") + native;
    }
    return native.toStdWString();
}
