#pragma once

#include "assembly/patchtextholder.h"
#include "runtime/failure.h"

// Writes the patch text and one CR LF to tmp.vkp in the program directory.
// The text is left as it was; on failure an earlier tmp.vkp stays whole.
Status ExportPatchText(const PatchTextHolder &holder);

// Starts shell.bat from the program directory, hidden, without waiting.
Status LaunchFlasherScript();
