#pragma once

#include <QString>
#include <functional>
#include <memory>

class QWidget;

// The body of a start-up or memory probe, which takes no argument or
// --hold FILE: builds the window `make` returns and shows it until it is
// exposed; given a file, has `hold` put that patch in the window; then prints
// the process's peak resident memory in KiB for the memory figure.
int runProbe(int argc, char **argv, const std::function<std::unique_ptr<QWidget>()> &make,
             const std::function<bool(QWidget &window, const QString &patchFile)> &hold);
