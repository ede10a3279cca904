#pragma once

#include "entries/entrystate.h"

#include <QDateTime>
#include <QHash>
#include <QStringList>

// A folder of patches as people keep them: a folder of the collection for one
// phone and firmware (CX70v50), each patch a file of its own, with other
// files beside them (archives, pictures).
struct PatchFolder {
    QString path; // the folder listed: the one chosen, or its CX70v50 folder
    std::vector<EntryState> patches; // in the order of their names
    int notPatches = 0;              // files beside them that are no patch text
    int namedOtherwise = 0;          // files whose names the system cannot read: counted, not listed
    // A folder of the whole collection, with no patch of its own: its folders
    // named like a phone and firmware, in the order of their names.
    QStringList phoneFolders;

    bool operator==(const PatchFolder &) const = default;
};

// The name a list shows for a patch: the one its header gives, else its file's.
QString patchName(const EntryState &state);

// Whether `a` comes before `b` as a person sorts names: whatever the case,
// and numbers by their value (2-x before 10-y).
bool namedBefore(QStringView a, QStringView b);

// What listings learnt of each file of a folder, used again while the file
// and the backup are as they were then: a folder read again, as the window
// does each time it comes back, costs a look at each file's size and time.
class FolderMemory
{
public:
    struct Key {
        qint64 size = 0;
        QDateTime modified;
        std::optional<Backup> backup; // its file as it was when the file was matched against it

        bool operator==(const Key &) const = default;
    };

    const EntryState *recall(const QString &path, const Key &key) const;
    void keep(const QString &path, const Key &key, const EntryState &state);
    // Only the last folder listed is kept.
    void forgetAllBut(const QString &folder);

private:
    struct Kept {
        Key key;
        EntryState state;
    };
    QString m_folder;
    QHash<QString, Kept> m_files;
};

// Lists the patch files directly in `folder`, each read whole and, with a
// backup, matched against it, or recalled from `memory` where the file and
// the backup are unchanged. A folder with no patch file of its own but a
// folder CX70v50 in it lists that one instead. `goOn` may stop it between
// files.
Status listPatchFolder(const QString &folder, const std::optional<Backup> &backup, FolderMemory &memory,
                       PatchFolder &listing, Status &backupFailure, const GoOn &goOn = {});
