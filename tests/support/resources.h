#pragma once

#include <QString>
#include <QtGlobal>
#include <cstddef>

// Bytes the allocator has handed out and not had back, large blocks included.
std::size_t heapInUse();

// Files and other handles this process holds open.
int openHandles();

#ifdef Q_OS_WIN
// Whether Windows is Wine, which makes some of Windows' conditions
// impossible to set up.
bool underWine();

// Processes this one started that still run, by the name of their executable.
int childProcessesNamed(const QString &executable);
#endif
