#pragma once

#include "failure.h"

#include <QFile>
#include <QFileInfo>
#include <QString>

// Reads a whole file. Only regular files of at most `maxBytes` are read, so a
// FIFO or a device never blocks the program.
Status readFile(const QString &path, qint64 maxBytes, QByteArray &bytes);

// Reads at most the first `startBytes` of a file that readFile, given
// `wholeBytes`, would read: when it would not, why, in the same words.
Status readFileStart(const QString &path, qint64 startBytes, qint64 wholeBytes, QByteArray &bytes);

// Why `info` cannot be read as a regular file, in the words readFile uses, or
// nothing when it can; looks at the name only.
std::optional<QString> notRegularReason(const QFileInfo &info);

// Opens `file`, its name already set, for reading if it is a regular file, or
// returns why not. Never waits, not even for a FIFO put in the file's place
// just before: what is looked at is what was opened.
std::optional<QString> openRegularFile(QFile &file);

// Writes `text` and one CR LF in the code page, replacing the file whole: a
// reader sees the old content or the new one, and a failed write leaves the
// old one untouched. Nothing is written when `text` holds a character the code
// page lacks.
Status writeTextFile(const QString &path, QStringView text);

// Writes `bytes` as the whole file, the same way: complete or not at all.
Status writeFile(const QString &path, QByteArrayView bytes);
