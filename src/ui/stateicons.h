#pragma once

#include "backup/flashmodel.h"

#include <QIcon>

// The mark before an entry for its state against the backup: a shape and a
// colour of its own each, so that neither alone must tell them apart; a
// blank for a patch with nothing to compare.
QIcon stateIcon(PatchState state);

// The same, for a patch whose header names another phone or firmware: a
// violet corner with a bar, the other-phone mark's own colour and sign.
QIcon stateIconForAnotherPhone(PatchState state);

// A patch whose header names another phone or firmware: a violet square
// with a bar.
QIcon otherPhoneIcon();

// A patch that writes nothing until the user edits it: an amber frame of
// dashes with three dots, a form to fill in.
QIcon writesNothingIcon();

// Room for a mark, where an entry has none while others do.
QIcon blankIcon();
