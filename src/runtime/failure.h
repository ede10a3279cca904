#pragma once

#include <QString>
#include <optional>

// What went wrong, carried back to the window, which turns it into a message.
struct Failure {
    QString summary; // what the program was about to do
    QString file; // none where the fault is in the patch text
    QString reason;

    QString message() const;
};

// Empty on success.
using Status = std::optional<Failure>;
