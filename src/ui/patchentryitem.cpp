#include "patchentryitem.h"

#include "patchformat/description.h"
#include "stateicons.h"

#include <QListWidget>

namespace {

// A tooltip in rich text, so that tags in a patch's comments stay text. Qt
// would lay a short one out narrow, wrapping every line: so each line is
// shown as written, and only one longer than a description line is broken,
// at its last blank within that length.
QString tooltipText(const QString &plain)
{
    QStringList shown;
    for (QStringView line : QStringView(plain).split(u'\n')) {
        while (line.size() > descriptionLineLength) {
            qsizetype cut = line.first(descriptionLineLength + 1).lastIndexOf(u' ');
            if (cut <= 0)
                cut = descriptionLineLength;
            shown += line.first(cut).toString();
            line = line.sliced(cut).trimmed();
        }
        shown += line.toString();
    }
    for (QString &line : shown)
        line = line.toHtmlEscaped();
    return QStringLiteral("<p style=\"white-space:pre\">%1</p>").arg(shown.join(QStringLiteral("<br>")));
}

} // namespace

PatchEntryItem::PatchEntryItem(const QString &caption, Category category, int index)
    : QListWidgetItem(caption)
{
    m_state.category = category;
    m_state.index = index;
}

QVariant PatchEntryItem::data(int role) const
{
    if (role == Qt::ToolTipRole)
        return tooltipText(entryAbout(m_state));
    if (role == Qt::AccessibleDescriptionRole)
        return entryAbout(m_state);
    return QListWidgetItem::data(role);
}

void PatchEntryItem::show(const EntryState &state, bool marked)
{
    m_state = state;
    const QListWidget *list = listWidget();
    const bool grey = state.file != EntryState::File::Present && list;
    setData(Qt::ForegroundRole, grey ? list->palette().brush(QPalette::Disabled, QPalette::Text) : QVariant());
    setIcon(state.backup ? stateIcon(*state.backup) : marked ? blankIcon() : QIcon());
}
