#pragma once

#include <QByteArray>
#include <QString>

// A shell.bat for the platform's interpreter (sh, or cmd.exe on Windows). In
// its working directory it writes "started" holding its argument count, waits for a
// file "stop" (30 s at most), then writes "done"; each file appears whole.
QByteArray markerScript();

// A folder name with every character the platform's command interpreter would
// act on, were the name ever parsed as a command; Cyrillic letters too.
QString hostileFolderName();

// Whether something named "pwned" appeared in `folder`: the hostile folder
// name tries to make one.
bool pwnedIn(const QString &folder);
