#pragma once

#include "phone.h"

#include <QStringList>
#include <optional>

inline constexpr int descriptionLines = 15;
inline constexpr int descriptionLineLength = 100;
inline constexpr qint64 descriptionBytes = 64 * 1024;
// A patch's name is read whole, as long as the longest anyone would write.
inline constexpr int nameLength = 1000;

// What a patch says about itself: the first block of comment lines at its top,
// without their comment marks and edge blanks; at most 15 lines of at most
// `lineLength` characters, with an ellipsis where cut.
QStringList patchDescription(QStringView text, qsizetype lineLength = descriptionLineLength);

// The phone and firmware, where `line` begins a patch of the collection: a
// comment that names them and nothing else (`;CX70v50`), perhaps after the
// byte-order mark a modern editor puts before a file's first line.
std::optional<PhoneFirmware> phoneLine(QStringView line);
