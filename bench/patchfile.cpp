#include "patchfile.h"

#include "catalogue/catalogue.h"

#include <QFileInfo>
#include <QStringDecoder>

QByteArray patchFileBytes(int lines)
{
    // "Патч для CX70 " in Windows-1251, cycled to fill each line's comment.
    static const QByteArray comment = QByteArrayLiteral("\xCF\xE0\xF2\xF7 \xE4\xEB\xFF CX70 ");
    QByteArray bytes;
    bytes.reserve(qsizetype(lines) * patchLineBytes);
    for (int i = 0; i < lines; ++i) {
        const bool crlf = i % 2 == 1;
        const qsizetype textEnd = bytes.size() + patchLineBytes - (crlf ? 2 : 1);
        char code[32];
        bytes += QByteArrayView(code, qsnprintf(code, sizeof code, "%06X: %08X ; ", 0x200000 + 4 * i, 0xBFE12345u ^ unsigned(i)));
        for (qsizetype k = 0; bytes.size() < textEnd; ++k)
            bytes += comment[k % comment.size()];
        bytes += crlf ? "\r\n" : "\n";
    }
    return bytes;
}

QString documentText(const QByteArray &patchFile)
{
    // The document keeps one LF between lines, and the append opens and closes with a line end.
    QStringDecoder decoder("windows-1251");
    return u'\n' + QString(decoder.decode(patchFile)).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

void writePatch(const ProgramFolder &folder, const QByteArray &bytes)
{
    folder.write(QFileInfo(PatchFilePath(Category::Other, 0)).fileName(), bytes);
}
