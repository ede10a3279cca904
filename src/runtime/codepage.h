#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Patch files and tmp.vkp are 8-bit text in the Cyrillic Windows code page.

// Without it nothing can be read or written.
bool codePageAvailable();

QString decodeCodePage(QByteArrayView bytes);

// The same, as the system's own converter does it: slower, and what
// decodeCodePage is made from.
QString decodeWithSystem(QByteArrayView bytes);

// Appends the encoding of `text` to `out`, or returns the position of the
// first character the code page cannot hold; `out` is then unspecified.
std::optional<qsizetype> encodeCodePage(QStringView text, QByteArray &out);
