#include "mainwindow.h"
#include "runtime/codepage.h"
#include "runtime/messagebox.h"
#include "startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (!codePageAvailable()) {
        showMessageBox(nullptr, QMessageBox::Critical, messageTitle,
                       QStringLiteral("Эта сборка Qt не поддерживает кодировку Windows-1251 (нет ICU), "
                                      "а без неё патчи не прочитать и не записать."));
        return 1;
    }
    MainWindow window;
    startUp(window);
    return app.exec();
}
