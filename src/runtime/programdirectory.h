#pragma once

#include <QString>

// The folder of the executable: the program's installation, where its patch
// files, tmp.vkp and shell.bat live. The working directory is never used.
QString programDirectory();

// The program directory, the platform's separator and `name`.
QString programFile(const QString &name);

// Points the program at another folder (tests, tools); empty restores the default.
void setProgramDirectory(const QString &directory);
