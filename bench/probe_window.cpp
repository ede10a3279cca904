// Starts the program's window as the program does, less the start-up warning,
// and quits as soon as it is on screen; with --hold, once it holds the patch.
#include "offscreen.h"
#include "patchfile.h"
#include "probe.h"

#include "assembly/assembly.h"
#include "mainwindow.h"
#include "textboxholder.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <cstdio>

int main(int argc, char **argv)
{
    preferOffscreen();
    QApplication app(argc, argv);
    QString heldFile;
    if (!readProbeArguments(app.arguments(), heldFile))
        return 2;

    MainWindow window;
    if (!showUntilExposed(window))
        return 1;
    if (!heldFile.isEmpty()) {
        const PatchFolder folder;
        if (!QFile::copy(heldFile, PatchFilePath(Category::Other, 0)))
            return 1;
        TextBoxHolder holder(window.findChild<QPlainTextEdit *>(QStringLiteral("txtPath")));
        if (const Status failure = AppendPatchFile(holder, Category::Other, 0)) {
            std::fprintf(stderr, "%s\n", qPrintable(failure->message()));
            return 1;
        }
        QCoreApplication::processEvents();
    }
    reportPeakMemory();
    return 0;
}
