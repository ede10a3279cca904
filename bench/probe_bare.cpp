// The floor of the start-up and memory figures: the widgets of the program's
// window at its size, bare, shown the same way; with --hold, the patch is set
// as the text box's plain text.
#include "patchfile.h"
#include "probe.h"

#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>

int main(int argc, char **argv)
{
    return runProbe(
        argc, argv,
        [] {
            auto window = std::make_unique<QWidget>();
            window->setFixedSize(459, 611);
            auto *tabs = new QTabWidget(window.get());
            tabs->setGeometry(0, 0, 457, 249);
            for (int tab = 1; tab <= 3; ++tab)
                tabs->addTab(new QListWidget, QString::number(tab));
            auto *edit = new QPlainTextEdit(window.get());
            edit->setGeometry(0, 256, 457, 305);
            edit->setLineWrapMode(QPlainTextEdit::NoWrap);
            return window;
        },
        [](QWidget &window, const QString &patchFile) {
            QFile file(patchFile);
            if (!file.open(QIODevice::ReadOnly))
                return false;
            window.findChild<QPlainTextEdit *>()->setPlainText(documentText(file.readAll()));
            return true;
        });
}
