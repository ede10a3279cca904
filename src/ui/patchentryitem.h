#pragma once

#include "entries/entrystate.h"

#include <QListWidgetItem>

// An entry of the catalogue in its list. It shows what its state says: grey
// while its patch file cannot be added, a mark for its state against the
// backup in use, and in its tooltip and its description for screen readers,
// where the file belongs, or the state in words and what the patch says about
// itself, read only when asked.
class PatchEntryItem : public QListWidgetItem
{
public:
    PatchEntryItem(const QString &caption, Category category, int index);

    QVariant data(int role) const override;
    // `marked`: a backup is in use, and every entry keeps room for a mark.
    void show(const EntryState &state, bool marked);

private:
    EntryState m_state;
};
