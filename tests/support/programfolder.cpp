#include "programfolder.h"

#include "runtime/programdirectory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

ProgramFolder::ProgramFolder(const QString &name)
    : m_path(m_root.filePath(name))
{
    QDir().mkpath(m_path);
    setProgramDirectory(m_path);
}

ProgramFolder::~ProgramFolder()
{
    setProgramDirectory(QString());
}

QString ProgramFolder::file(const QString &name) const
{
    return QDir::toNativeSeparators(m_path + u'/' + name);
}

void ProgramFolder::write(const QString &name, QByteArrayView bytes) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes.data(), bytes.size()) != bytes.size())
        qFatal("cannot write %s", qPrintable(f.fileName()));
}

QByteArray ProgramFolder::read(const QString &name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool ProgramFolder::exists(const QString &name) const
{
    return QFileInfo::exists(file(name));
}

QByteArray everyLineByte()
{
    QByteArray bytes;
    for (int b = 1; b < 256; ++b) {
        if (b != '\r' && b != '\n')
            bytes += char(b);
    }
    return bytes;
}

bool waitForFile(const QString &path, int seconds)
{
    for (int i = 0; i < seconds * 20; ++i) {
        if (QFileInfo::exists(path))
            return true;
        QThread::msleep(50);
    }
    return false;
}
