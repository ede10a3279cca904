#pragma once

#include "catalogue/catalogue.h"
#include "patchtextholder.h"
#include "runtime/failure.h"

// Patch files larger than this are refused rather than read into the text box.
inline constexpr qint64 maxPatchFileBytes = 64 * 1024 * 1024;

// Appends the lines of an entry's patch file: CR LF before each line and one
// closing CR LF. On failure the text is left exactly as it was. A file larger
// than `maxBytes` is refused. `added`, when given, gets what was appended.
Status AppendPatchFile(PatchTextHolder &holder, Category category, int index,
                       qint64 maxBytes = maxPatchFileBytes, QString *added = nullptr);

// The same for a patch file anywhere, as a folder of patches lists it.
Status AppendPatchFile(PatchTextHolder &holder, const QString &path, qint64 maxBytes = maxPatchFileBytes,
                       QString *added = nullptr);

void ClearPatchText(PatchTextHolder &holder);

// What an append adds for a file of these bytes, still in the code page: CR
// LF, then each of its lines and CR LF. Lines are copied whole; a line ends
// at CR LF, LF or CR.
QByteArray patchBlock(QByteArrayView file);

// The same, as text.
QString appendedText(QByteArray file);

// The file's own lines in what an append added, as the tool reads the file
// alone: past the CR LF the append opens with.
inline QStringView fileLines(QStringView appended)
{
    return appended.sliced(2);
}
