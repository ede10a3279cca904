#pragma once

#include <QMessageBox>

// Shows a modal box with one OK button and returns once it is dismissed.
void showMessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text);

// Asks whether to go on despite `text`: true only when the user picks the
// button `goOn`. Отмена is the default, and Escape or the close box mean it too.
bool askToGoOn(QWidget *parent, const QString &title, const QString &text, const QString &goOn);
