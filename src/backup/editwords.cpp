#include "editwords.h"

#include "patchformat/words.h"

#include <QLocale>
#include <QStringList>

namespace {

// "3", "3 и 5", "3, 5 и 9"; ten at most, then how many more.
QString lineList(const std::vector<int> &lines)
{
    constexpr std::size_t shown = 10;
    QStringList numbers;
    for (std::size_t i = 0; i < std::min(lines.size(), shown); ++i)
        numbers += QString::number(lines[i]);
    if (lines.size() > shown)
        return numbers.join(QStringLiteral(", ")) + QStringLiteral(" и ещё %1").arg(lines.size() - shown);
    return QLocale(QLocale::Russian).createSeparatedList(numbers);
}

// What the records of one kind of fault are, worded for one or for several.
QString faultWords(EditFault fault, const std::vector<int> &lines, const QString &backupName)
{
    const bool one = lines.size() == 1;
    const QString records = (one ? QStringLiteral("запись в строке %1") : QStringLiteral("записи в строках %1")).arg(lineList(lines));
    const QString ofRecords = (one ? QStringLiteral("записи в строке %1") : QStringLiteral("записей в строках %1")).arg(lineList(lines));
    switch (fault) {
    case EditFault::NoOldBytes:
        return QStringLiteral("у %1 нет старых байтов, и неизвестно, что было там до патча").arg(ofRecords);
    case EditFault::PlaceholderInOld:
        return QStringLiteral("в старых байтах %1 заполнители вместо байтов, и неизвестно, что было там до патча").arg(ofRecords);
    case EditFault::UndoOff:
        return QStringLiteral("%1 %2 после «#pragma disable undo»: автор патча не даёт %3 снимать")
            .arg(records, one ? QStringLiteral("идёт") : QStringLiteral("идут"), one ? QStringLiteral("её") : QStringLiteral("их"));
    case EditFault::AlreadyWritten:
        return QStringLiteral("%1 уже есть в копии прошивки %2, а того, что было там до %3, в ней нет")
            .arg(records, backupName, one ? QStringLiteral("неё") : QStringLiteral("них"));
    case EditFault::DoesNotFit:
        return QStringLiteral("%1 %2 к копии прошивки %3: патч написан для другой прошивки")
            .arg(records, one ? QStringLiteral("не подходит") : QStringLiteral("не подходят"), backupName);
    case EditFault::Outside:
        return QStringLiteral("%1 %2 за концом копии прошивки %3: патч для другого телефона")
            .arg(records, one ? QStringLiteral("пишет") : QStringLiteral("пишут"), backupName);
    case EditFault::Unreadable:
        return QStringLiteral("%1 прошивальщик не прочтёт или может прочесть иначе")
            .arg((one ? QStringLiteral("строку %1") : QStringLiteral("строки %1")).arg(lineList(lines)));
    case EditFault::NotGivenBack:
        return (one ? QStringLiteral("после правки %1 записала бы не те байты, что должна, и программа её не правит")
                    : QStringLiteral("после правки %1 записали бы не те байты, что должны, и программа их не правит"))
            .arg(records);
    case EditFault::Rewritten:
        break; // each with its earlier record
    }
    return {};
}

// Each kind of fault once, with its lines, in the order of the kinds.
QString faultsWords(const std::vector<RecordFault> &faults, const QString &backupName)
{
    QStringList said;
    for (int kind = 0; kind <= int(EditFault::NotGivenBack); ++kind) {
        std::vector<int> lines;
        for (const RecordFault &f : faults) {
            if (int(f.fault) != kind)
                continue;
            if (f.fault == EditFault::Rewritten)
                said += contradictionWords(f.line, f.earlierLine, f.earlierWrote);
            else
                lines.push_back(f.line);
        }
        if (!lines.empty())
            said += faultWords(EditFault(kind), lines, backupName);
    }
    return said.join(QStringLiteral("; "));
}

} // namespace

QString editReason(const PatchEdit &edit, const QString &backupName)
{
    switch (edit.outcome) {
    case EditOutcome::NoRecords:
        return QStringLiteral("в нём нет ни одной записи «адрес: байты»");
    case EditOutcome::NothingOnPhone:
        return QStringLiteral("ни одной его записи нет в копии прошивки %1: патча нет на телефоне, и снимать нечего").arg(backupName);
    case EditOutcome::Refused:
        return faultsWords(edit.faults, backupName);
    case EditOutcome::Done:
    case EditOutcome::AllHaveOldBytes:
        break;
    }
    return {};
}

QString copyReason(const std::vector<RecordFault> &faults, const QString &backupName)
{
    return faultsWords(faults, backupName)
        + QStringLiteral(": копия должна быть тем, что окажется в телефоне. Поправьте текст (кнопка передачи скажет, что не так) "
                         "и сохраните копию снова");
}
