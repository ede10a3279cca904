#pragma once

#include "backup/backupfile.h"
#include "runtime/failure.h"

#include <QStringList>
#include <optional>
#include <vector>

// What a drop of files and folders on the window does: a folder is listed in
// the fourth tab, a patch text appended, any other file taken for the backup.
struct DropPlan {
    std::optional<QString> folder;
    std::vector<QString> patches; // in the order of their names
    std::optional<Backup> backup;
    // A file dropped alone that is neither a patch nor a backup: the
    // backup's words, and why it is no patch.
    Status refused;
    // What else was not done as one may expect, a line each.
    QStringList notes;
};

DropPlan planDrop(const QStringList &paths);
