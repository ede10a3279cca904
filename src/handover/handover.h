#pragma once

#include "runtime/failure.h"

#include <QStringView>

// Writes the patch text and one CR LF to tmp.vkp in the program directory.
// On failure an earlier tmp.vkp stays whole.
Status ExportPatchText(QStringView text);

// Starts shell.bat from the program directory, hidden, without waiting.
Status LaunchFlasherScript();
