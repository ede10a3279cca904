#pragma once

#include <QString>

class MainWindow;

inline const QString messageTitle = QStringLiteral("Kelvaro");

// Every start warns that the user acts at his own risk, before the window shows.
void startUp(MainWindow &window);
