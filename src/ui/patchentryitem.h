#pragma once

#include "entries/entrystate.h"

#include <QListWidgetItem>

// An entry of the catalogue in its list. It shows what its state says: grey
// while its patch file cannot be added, a mark for where its patch stands,
// and in its tooltip and its description for screen readers, where the file
// belongs, or what the patch is and what it says about itself.
class PatchEntryItem : public QListWidgetItem
{
public:
    PatchEntryItem(const QString &caption, const QString &path);

    QVariant data(int role) const override;
    // `keepRoom`: some entry of the list has a mark, and every one keeps room for one.
    void show(const EntryState &state, bool keepRoom);

private:
    EntryState m_state;
};
