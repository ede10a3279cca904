#pragma once

#include "backup/backupfile.h"
#include "catalogue/catalogue.h"
#include "runtime/failure.h"

#include <QString>
#include <optional>
#include <vector>

// What a catalogue entry is, as its list shows it: whether its patch file can
// be added, and, while a backup is in use, how the patch stands against it.
struct EntryState {
    Category category = Category::Del;
    int index = 0;
    enum class File { Present, Missing, NotReadable };
    File file = File::Present;
    QString reason; // NotReadable: why, in the words an append gives
    std::optional<PatchState> backup;
    QString backupWords;
};

// Whether each entry's patch file is there and can be read, opened but not
// read: cheap enough for every start. In the catalogue's order.
std::vector<EntryState> lookAtEntries();

// The same, each patch file read and matched against `backup`. When the
// backup itself fails, that comes back and no entry has a backup state.
std::vector<EntryState> lookAtEntries(const Backup &backup, Status &backupFailure);

// What the user reads about an entry: where its missing file goes, why it
// cannot be read, or its state against the backup and what the patch says of
// itself (read now, from the first 64 KiB of the file).
QString entryAbout(const EntryState &state);
