#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A temporary folder that stands in for the program directory while it lives.
class ProgramFolder
{
public:
    explicit ProgramFolder(const QString &name = QStringLiteral("program"));
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder &) = delete;
    ProgramFolder &operator=(const ProgramFolder &) = delete;

    QString path() const { return m_path; }
    QString root() const { return m_root.path(); }
    // As the program names its files: with the platform's separators.
    QString file(const QString &name) const;
    void write(const QString &name, QByteArrayView bytes) const;
    QByteArray read(const QString &name) const;
    bool exists(const QString &name) const;

private:
    QTemporaryDir m_root;
    QString m_path;
};

// Bytes 1 to 255 without CR and LF, as one line.
QByteArray everyLineByte();

// Polls for a file a started script should write; false after `seconds`.
bool waitForFile(const QString &path, int seconds = 10);
