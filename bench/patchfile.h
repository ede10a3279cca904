#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

inline constexpr int patchLineBytes = 64;

// Windows-1251 patch text of `lines` lines of 64 bytes, Cyrillic comments
// included; line ends alternate between LF and CR LF.
QByteArray patchFileBytes(int lines);

// What the text box holds after appending such a file to an empty patch.
QString documentText(const QByteArray &patchFile);

// A temporary folder the program takes for its own while this lives.
class PatchFolder
{
public:
    PatchFolder();
    ~PatchFolder();
    PatchFolder(const PatchFolder &) = delete;
    PatchFolder &operator=(const PatchFolder &) = delete;

    QString file(const QString &name) const;
    // The patch file of the first entry of the last tab.
    void writePatch(const QByteArray &bytes) const;

private:
    QTemporaryDir m_dir;
};
