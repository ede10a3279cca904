#pragma once

#include "backup/flashmodel.h"
#include "textcheck/textcheck.h"

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

// The mark beside a line of the patch text: its record's state as the
// entries show it, a grey ring with a bar for a record that changes nothing,
// a red disc with a bar for a line the tool cannot read, an amber ring with
// a dot for one it may read otherwise, the amber frame of a form for a
// placeholder still to fill in.
QIcon lineMarkIcon(LineMark mark);

// Room for a mark, where an entry has none while others do.
QIcon blankIcon();
