#include "startup.h"

#include "messagebox.h"

void startUp(QWidget &window)
{
    showMessageBox(nullptr, QMessageBox::Warning, messageTitle,
                   QStringLiteral("Внимание! Вы используете эту программу на свой страх и риск. "
                                  "Автор не несёт НИКАКОЙ ответственности за вред приченёный программой. "
                                  "Патчи взяты из сборника Morvash http://morvash.example/"));
    window.show();
}
