#pragma once

#include <QString>

// How many files directly in `folder` have names the system's encoding cannot
// hold (a cp1251 or cp866 name unpacked from an old archive): Qt lists none
// of them, and no path in a QString can open one.
int filesNamedOtherwise(const QString &folder);
