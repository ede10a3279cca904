#pragma once

#include "support/programfolder.h"

#include <QByteArray>
#include <QString>

inline constexpr int patchLineBytes = 64;

// Windows-1251 patch text of `lines` lines of 64 bytes, Cyrillic comments
// included; line ends alternate between LF and CR LF.
QByteArray patchFileBytes(int lines);

// What the text box holds after appending such a file to an empty patch.
QString documentText(const QByteArray &patchFile);

// Writes the patch file of the first entry of the last tab, the one the
// benchmarks append, into the folder that stands for the program directory.
void writePatch(const ProgramFolder &folder, const QByteArray &bytes);
