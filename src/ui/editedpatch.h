#pragma once

class BackupInUse;
class PatchTextHolder;
class QWidget;
struct EditedPatch;

// What a take-off or a fill gives, from an entry or from a line of the
// text, said alike.

// Appends what took a patch off or filled it in, or says why nothing is.
void appendEdited(const EditedPatch &edited, BackupInUse &backup, PatchTextHolder &text, QWidget *window);
// Old bytes are filled in from the backup in use; says so where there is none.
bool backupToFillFrom(const BackupInUse &backup, QWidget *window);
