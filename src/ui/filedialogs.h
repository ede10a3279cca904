#pragma once

#include <QString>
#include <optional>

class QFileDialog;
class QWidget;

// Qt's file dialogs as the program shows them. Each is kept for the
// program's life: Qt's dialog writes the folders it visited into the user's
// settings when it is destroyed, and the program keeps none.

QFileDialog &backupDialog();
QFileDialog &folderDialog();

// Makes `dialog` one of the program's: opened in the program's folder, with
// `accept` for its button where Qt's word would not say what it does, wide
// enough for names, sizes and dates to read whole, and in Russian where Qt
// takes its words from the system's locale rather than its catalogue.
void shapeDialog(QFileDialog &dialog, const QString &title, const QString &accept = {});

// Shows a kept dialog over `parent`: what was chosen in it, or nothing.
std::optional<QString> askIn(QFileDialog &dialog, QWidget *parent);
