#pragma once

#include "failure.h"

#include <QString>

// Starts a batch script hidden, without arguments, in `workingDirectory`, and
// returns at once: the script runs on its own and no handle to it is kept.
Status startScriptDetached(const QString &scriptPath, const QString &workingDirectory);
