#pragma once

#include "catalogue/catalogue.h"

#include <QListWidgetItem>

// An entry of the catalogue in its list. While its patch file is missing it is
// drawn grey; its tooltip and its description for screen readers say where the
// file belongs, or what the patch says about itself, read only when asked.
class PatchEntryItem : public QListWidgetItem
{
public:
    PatchEntryItem(const QString &caption, Category category, int index);

    QVariant data(int role) const override;

    // Looks whether the patch file is there, and marks the entry if not.
    void checkFile();

private:
    QString about() const;

    Category m_category;
    int m_index;
    bool m_missing = false;
};
