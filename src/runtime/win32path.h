#pragma once

// Only the _windows halves of the runtime use this.

#include <QString>
#include <string>

// `path` as the Win32 functions outside Qt take it: native separators, and
// the \\?\ prefix when it is longer than they otherwise accept.
std::wstring win32Path(const QString &path);
