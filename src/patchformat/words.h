#pragma once

#include "patchreader.h"

#include <QString>

// How the program's Russian words write what a patch holds, and counts.

// `n` and the form of a noun that goes with it: one (1, 21), few (2–4, 22)
// or many (5–20, 11–14, 25).
QString plural(qint64 n, QStringView one, QStringView few, QStringView many);
// Only the form, for a word that agrees with the count: "не патч", "не патчи".
QStringView formFor(qint64 n, QStringView one, QStringView few, QStringView many);

// An offset, an address, a pragma line as a patch writes them.
QString offsetText(qint64 offset);
QString addressText(qint64 address);
QString pragmaLine(Pragma pragma, bool enable);

// "запись в строке 19 ждёт байты, которые запись в строке 17 уже
// переписала": a record at odds with an earlier one of the same text.
// `written`: whether the earlier record wrote those bytes, or only expects them.
QString contradictionWords(int line, int earlierLine, bool written);

// «text», its own «…» written „…“ as Russian nests quotes.
QString quoted(QStringView text);

// One thing to say in a list of several.
QString bullet(const QString &text);
