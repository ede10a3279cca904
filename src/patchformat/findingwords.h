#pragma once

#include "finding.h"

#include <QString>

// What a finding says to the user, with its line: what is wrong, quoting what
// stands there in `text`, the text that was read, and what to do.
QString findingWords(const Finding &finding, QStringView text);
