#pragma once

#include "failure.h"

#include <QString>

class QFileInfo;
class QProcess;

// Starts a batch script hidden, without arguments, in `workingDirectory`, and
// returns at once: the script runs on its own and no handle to it is kept.
Status startScriptDetached(const QString &scriptPath, const QString &workingDirectory);

// The interpreter and its arguments for a script, as the platform runs scripts.
void prepareScript(QProcess &process, const QFileInfo &script);
