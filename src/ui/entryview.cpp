#include "entryview.h"

#include "patchformat/description.h"
#include "stateicons.h"

#include <QStringList>

bool hasMark(const EntryState &state)
{
    return state.againstBackup || state.header.forAnotherPhone() || state.writesNothing;
}

QIcon entryMark(const EntryState &state, bool keepRoom)
{
    // What the backup shows outweighs what a header says, which is still shown.
    if (state.againstBackup && *state.againstBackup != PatchState::NoRecords)
        return state.header.forAnotherPhone() ? stateIconForAnotherPhone(*state.againstBackup) : stateIcon(*state.againstBackup);
    if (state.writesNothing)
        return writesNothingIcon();
    if (state.header.forAnotherPhone())
        return otherPhoneIcon();
    return keepRoom ? blankIcon() : QIcon();
}

bool entryGrey(const EntryState &state)
{
    return state.file != EntryState::File::Present;
}

// A tooltip in rich text, so that tags in a patch's comments stay text. Qt
// would lay a short one out narrow, wrapping every line: so each line is
// shown as written, and only one longer than a description line is broken,
// at its last blank within that length.
QString entryTooltip(const QString &about)
{
    QStringList shown;
    for (QStringView line : QStringView(about).split(u'\n')) {
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
