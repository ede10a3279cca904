#pragma once

#include "failure.h"

#include <QString>

class QFileInfo;
class QProcess;

// Starts a batch script hidden, without arguments, in its own folder, and
// returns at once: the script runs on its own and no handle to it is kept.
Status startScriptDetached(const QString &scriptPath);

// Sets `process` up to run the script in its own folder as the platform runs
// scripts, or says why the platform cannot run it from there.
std::optional<QString> prepareScript(QProcess &process, const QFileInfo &script);
