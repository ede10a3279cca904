#include "startup.h"

#include "mainwindow.h"
#include "messagebox.h"

void startUp(MainWindow &window)
{
    showMessageBox(nullptr, QMessageBox::Warning, messageTitle,
                   QStringLiteral("Внимание! Вы используете эту программу на свой страх и риск. "
                                  "Автор не несёт НИКАКОЙ ответственности за вред приченёный программой. "
                                  "Патчи взяты из сборника Morvash http://morvash.example/"));
    window.show();
}
