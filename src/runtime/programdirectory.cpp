#include "programdirectory.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString &overrideDirectory()
{
    static QString directory;
    return directory;
}
} // namespace

QString programDirectory()
{
    const QString &directory = overrideDirectory();
    return directory.isEmpty() ? QCoreApplication::applicationDirPath() : directory;
}

QString programFile(const QString &name)
{
    return QDir::toNativeSeparators(programDirectory()) + QDir::separator() + name;
}

void setProgramDirectory(const QString &directory)
{
    overrideDirectory() = directory;
}
