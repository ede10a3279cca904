#include "editedpatch.h"

#include "backupinuse.h"
#include "messagebox.h"

#include "assembly/patchtextholder.h"
#include "entries/entryedit.h"

// The backup may have gone while the menu was open.
bool backupToFillFrom(const BackupInUse &backup, QWidget *window)
{
    if (!backup.backup())
        inform(window, QStringLiteral("Старые байты берутся из копии прошивки: выберите её кнопкой «Сверить с копией прошивки…»."));
    return backup.backup().has_value();
}

void appendEdited(const EditedPatch &edited, BackupInUse &backup, PatchTextHolder &text, QWidget *window)
{
    if (edited.backupFailure)
        return backup.lost(*edited.backupFailure, BackupInUse::Tell::Now);
    if (edited.failure)
        return warn(window, edited.failure->message());
    text.append(edited.appended);
    if (!edited.note.isEmpty())
        warn(window, edited.note);
}
