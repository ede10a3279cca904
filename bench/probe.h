#pragma once

#include <QString>
#include <QStringList>

// A probe takes no argument, or --hold FILE: a patch file for the text box to
// hold before the probe reports. False, after printing the usage, on anything else.
bool readProbeArguments(const QStringList &arguments, QString &heldFile);

// Prints this process's peak resident memory in KiB, which the memory figure reads.
void reportPeakMemory();
