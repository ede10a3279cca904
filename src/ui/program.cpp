#include "program.h"

#include "mainwindow.h"
#include "messagebox.h"
#include "startup.h"

#include "runtime/qtcatalogue.h"

#include <QApplication>

int runProgram(bool codePageAvailable)
{
    // Without it Qt's dialogs and menus speak English, and nothing else changes.
    loadQtRussian(qtCatalogueFolder());
    if (!codePageAvailable) {
        showMessageBox(nullptr, QMessageBox::Critical, messageTitle,
                       QStringLiteral("Кодировка Windows-1251 недоступна в этой системе, "
                                      "а без неё патчи не прочитать и не записать."));
        return 1;
    }
    MainWindow window;
    startUp(window);
    return QApplication::exec();
}
