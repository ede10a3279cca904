// Starts the program's window as the program does, less the start-up warning,
// and quits as soon as it is on screen; with --hold, once it holds the patch.
#include "patchfile.h"
#include "probe.h"

#include "assembly/assembly.h"
#include "mainwindow.h"
#include "textboxholder.h"

#include <QFile>
#include <QPlainTextEdit>
#include <cstdio>

int main(int argc, char **argv)
{
    return runProbe(
        argc, argv, [] { return std::make_unique<MainWindow>(); },
        [](QWidget &window, const QString &patchFile) {
            const ProgramFolder folder;
            if (!QFile::copy(patchFile, PatchFilePath(Category::Other, 0)))
                return false;
            TextBoxHolder holder(window.findChild<QPlainTextEdit *>(QStringLiteral("txtPath")));
            if (const Status failure = AppendPatchFile(holder, Category::Other, 0)) {
                std::fprintf(stderr, "%s\n", qPrintable(failure->message()));
                return false;
            }
            return true;
        });
}
