#pragma once

#include "runtime/failure.h"

#include <QMessageBox>

// The title of every box the program shows.
inline const QString messageTitle = QStringLiteral("Kelvaro");

// Shows a modal box with one OK button and returns once it is dismissed.
void showMessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text);

// Asks whether to go on despite `text`: true only when the user picks the
// button `goOn`. Отмена is the default, and Escape or the close box mean it too.
bool askToGoOn(QWidget *parent, const QString &title, const QString &text, const QString &goOn);

// What failed, in one box over `parent`.
void report(QWidget *parent, const Failure &failure);
// The same once the event at hand is over (an activation, a listing), where
// a box inside it would come between.
void laterReport(QWidget *parent, const Failure &failure);
// What the user should know of what was done, or what to do first.
void warn(QWidget *parent, const QString &text);
void inform(QWidget *parent, const QString &text);
