// Writes a generated patch file, for the probes to hold: make_patchfile FILE LINES
#include "patchfile.h"

#include <QFile>
#include <cstdio>

int main(int argc, char **argv)
{
    const int lines = argc == 3 ? QByteArray(argv[2]).toInt() : 0;
    if (lines <= 0) {
        std::fprintf(stderr, "usage: make_patchfile FILE LINES\n");
        return 2;
    }
    const QByteArray bytes = patchFileBytes(lines);
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "make_patchfile: %s\n", qPrintable(file.errorString()));
        return 1;
    }
    return 0;
}
