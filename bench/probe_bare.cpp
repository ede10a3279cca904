// The floor of the start-up and memory figures: the widgets of the program's
// window at its size, bare, shown the same way; with --hold, the patch is set
// as the text box's plain text.
#include "offscreen.h"
#include "patchfile.h"
#include "probe.h"

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>

int main(int argc, char **argv)
{
    preferOffscreen();
    QApplication app(argc, argv);
    QString heldFile;
    if (!readProbeArguments(app.arguments(), heldFile))
        return 2;

    QWidget window;
    window.setFixedSize(459, 611);
    auto *tabs = new QTabWidget(&window);
    tabs->setGeometry(0, 0, 457, 249);
    for (int tab = 1; tab <= 3; ++tab)
        tabs->addTab(new QListWidget, QString::number(tab));
    auto *edit = new QPlainTextEdit(&window);
    edit->setGeometry(0, 256, 457, 305);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    if (!showUntilExposed(window))
        return 1;
    if (!heldFile.isEmpty()) {
        QFile file(heldFile);
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        edit->setPlainText(documentText(file.readAll()));
        QCoreApplication::processEvents();
    }
    reportPeakMemory();
    return 0;
}
