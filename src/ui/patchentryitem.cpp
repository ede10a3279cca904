#include "patchentryitem.h"

#include "entryview.h"

#include <QListWidget>

PatchEntryItem::PatchEntryItem(const QString &caption, const QString &path)
    : QListWidgetItem(caption)
{
    m_state.path = path;
}

QVariant PatchEntryItem::data(int role) const
{
    if (role == Qt::ToolTipRole)
        return entryTooltip(entryAbout(m_state));
    if (role == Qt::AccessibleDescriptionRole)
        return entryAbout(m_state);
    if (role == entryPathRole)
        return m_state.path;
    return QListWidgetItem::data(role);
}

void PatchEntryItem::show(const EntryState &state, bool keepRoom)
{
    m_state = state;
    const QListWidget *list = listWidget();
    const bool grey = entryGrey(state) && list;
    setData(Qt::ForegroundRole, grey ? list->palette().brush(QPalette::Disabled, QPalette::Text) : QVariant());
    setIcon(entryMark(state, keepRoom));
}
