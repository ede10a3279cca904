#pragma once

#include <QString>
#include <optional>

// A phone and the firmware a patch was written for, as such a line names them.
struct PhoneFirmware {
    QString phone;    // CX70, S65, SL45i: as the line writes it
    QString firmware; // 50, 58

    // SL45i and SL45I are one phone.
    bool operator==(const PhoneFirmware &other) const
    {
        return phone.compare(other.phone, Qt::CaseInsensitive) == 0 && firmware == other.firmware;
    }
    QString text() const { return phone + u'v' + firmware; }
};

// The phone and firmware this program is for.
PhoneFirmware thisPhone();

// The phone and firmware `line` names, when that is all it says: `CX70v50`.
std::optional<PhoneFirmware> phoneFirmware(QStringView line);
