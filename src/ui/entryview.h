#pragma once

#include "entries/entrystate.h"

#include <QIcon>
#include <QString>

// How a list shows an entry's state, the same in every tab.

// Where each list keeps its entries' patch files.
inline constexpr int entryPathRole = Qt::UserRole + 1;

// Whether its list keeps room for a mark before it, so that captions line
// up: where any entry of the list has one.
bool hasMark(const EntryState &state);

// Its mark: where its patch stands against the backup, or that its header
// names another phone; a blank where others have one (`keepRoom`).
QIcon entryMark(const EntryState &state, bool keepRoom);

// Grey while its file cannot be added.
bool entryGrey(const EntryState &state);

// What the user reads about it, as a tooltip: each line as written.
QString entryTooltip(const QString &about);
