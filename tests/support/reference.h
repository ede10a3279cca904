#pragma once

#include <QByteArray>

// What tmp.vkp must hold after one patch file of these bytes is appended to an
// empty text and handed over, worked out on the bytes alone, apart from the
// program's own decoding and line handling.
inline QByteArray referenceExport(QByteArrayView patchFile)
{
    QByteArray expected = "\r\n";
    qsizetype start = 0;
    for (qsizetype i = 0; i < patchFile.size(); ++i) {
        const char c = patchFile[i];
        if (c != '\r' && c != '\n')
            continue;
        expected += patchFile.sliced(start, i - start);
        expected += "\r\n";
        if (c == '\r' && i + 1 < patchFile.size() && patchFile[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < patchFile.size()) {
        expected += patchFile.sliced(start);
        expected += "\r\n";
    }
    return expected + "\r\n";
}
