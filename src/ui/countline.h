#pragma once

#include <QString>
#include <QStringList>

// What the line under the fourth tab's list says of the folder.
struct FolderCount {
    bool chosen = false;  // a folder is in use
    bool reading = false; // one is being read
    int rowsLeft = 0;     // rows the filter leaves
    int rows = 0;         // rows in all
    int notPatches = 0;
    int namedOtherwise = 0;
    QStringList phoneFolders; // where the folder has no patch of its own
};

// Every file of the folder is counted somewhere in it.
QString countLine(const FolderCount &count);

// Up to five names, then how many more.
QString someOf(const QStringList &names);
