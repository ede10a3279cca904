#include "codepage.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace {
constexpr UINT codePage = 1251;
}

// Windows has the code page itself, so Qt needs no ICU for it here.
bool codePageAvailable()
{
    return IsValidCodePage(codePage);
}

QString decodeWithSystem(QByteArrayView bytes)
{
    // One byte is one character, so any cut between calls is a clean one.
    QString text(bytes.size(), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const int chunk = int(std::min<qsizetype>(bytes.size() - done, INT_MAX / 2));
        const int got = MultiByteToWideChar(codePage, 0, bytes.data() + done, chunk,
                                            reinterpret_cast<wchar_t *>(text.data()) + done, chunk);
        if (got != chunk)
            return QString(bytes.size(), QChar::ReplacementCharacter);
        done += chunk;
    }
    return text;
}
