#pragma once

#include <QMessageBox>

// Shows a modal box with one OK button and returns once it is dismissed.
void showMessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text);
