#pragma once

#include "phone.h"

#include <QStringList>
#include <optional>
#include <vector>

// What the first comment lines of a patch of the collection say it is:
//   ;CX70v50
//   ;Позиционирование главного экрана
//   ;MainScreen positioning
//   ;PatchID: 101

struct PatchHeader {
    std::optional<PhoneFirmware> target; // as the first line names it
    QString name;                        // empty where there is none
    QString number;                      // as PatchID gives it; empty where none

    // Whether it says it was written for another phone or firmware.
    bool forAnotherPhone() const { return target && *target != thisPhone(); }

    bool operator==(const PatchHeader &) const = default;
};

// From the patch's description (patchDescription's lines): the phone and
// firmware on the first line, the patch's name on the first line after it,
// else on the first line, and its number.
PatchHeader patchHeader(const QStringList &description);

// The same for each copy of one patch in a text: its phone and firmware,
// whatever their case, and its name.
QString patchKey(const PatchHeader &header);

// Where in a patch text one of the collection's patches begins: a comment
// line naming a phone and firmware, then one with its name.
struct HeaderAt {
    int line; // from 1: the line naming the phone and firmware
    PatchHeader header;
};

// Each such header in the text, in the order of its lines.
std::vector<HeaderAt> headersInText(QStringView text);
