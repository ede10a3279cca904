#pragma once

#include <QStringList>

inline constexpr int descriptionLines = 15;
inline constexpr int descriptionLineLength = 100;
inline constexpr qint64 descriptionBytes = 64 * 1024;
// A patch's name is read whole, as long as the longest anyone would write.
inline constexpr int nameLength = 1000;

// What a patch says about itself: the first block of comment lines at its top,
// without their comment marks and edge blanks; at most 15 lines of at most
// `lineLength` characters, with an ellipsis where cut.
QStringList patchDescription(QStringView text, qsizetype lineLength = descriptionLineLength);

// `line` without the byte-order mark a modern editor may put before a file's
// first line, read as Unicode or, as the tool reads it, as Windows-1251.
QStringView withoutByteOrderMark(QStringView line);
