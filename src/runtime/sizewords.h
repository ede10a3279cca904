#pragma once

#include <QString>

// A size as Russian writes it, in the largest binary unit it reaches: 11 Б,
// 2,5 КиБ, 31,0 МиБ.
QString sizeWords(qint64 bytes);
