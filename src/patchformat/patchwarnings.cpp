#include "patchwarnings.h"

#include <QDir>
#include <QStringList>
#include <algorithm>

namespace {

constexpr int shownItems = 10;

QString hexAddress(qint64 address)
{
    return QString::number(address, 16).toUpper().rightJustified(8, u'0');
}

QString byteRange(qint64 from, qint64 to)
{
    return from == to ? hexAddress(from) : hexAddress(from) + u'–' + hexAddress(to);
}

QString pragmaLine(Pragma pragma, bool enable)
{
    return QStringLiteral("#pragma %1 %2").arg(enable ? u"enable" : u"disable", pragmaName(pragma));
}

struct InForce {
    int line;
    QString text;
};

// An offset or a pragma in force at the end, with the line that set it and
// the line that would end it; in a patch text or in one patch file.
std::vector<InForce> inForce(const PatchReading &reading, bool inFile)
{
    const QString end = inFile ? QStringLiteral("файла") : QStringLiteral("текста");
    const QString after = inFile ? QStringLiteral("все патчи, добавленные после этого файла") : QStringLiteral("все патчи ниже");
    const QString fix = inFile ? QStringLiteral("файл должен заканчиваться строкой") : QStringLiteral("закончите патч строкой");
    std::vector<InForce> found;
    if (reading.offsetLine) {
        found.push_back({reading.offsetLine,
                         QStringLiteral("смещение %1 из строки %2 действует до конца %3, и %4 запишутся со сдвигом: %5 «+0»")
                             .arg(offsetText(reading.offset))
                             .arg(reading.offsetLine)
                             .arg(end, inFile ? after + u',' : after, fix)});
    }
    for (int i = 0; i < pragmaCount; ++i) {
        if (!reading.pragmaLine[i])
            continue;
        const Pragma pragma = Pragma(i);
        found.push_back({reading.pragmaLine[i], QStringLiteral("«%1» из строки %2 действует до конца %3 и на %4: %5 «%6»")
                                                    .arg(pragmaLine(pragma, reading.pragmaOn[i]))
                                                    .arg(reading.pragmaLine[i])
                                                    .arg(end, after, fix, pragmaLine(pragma, pragmaOnAtStart(pragma)))});
    }
    return found;
}

QString item(const QString &text)
{
    return QStringLiteral("• ") + text;
}

} // namespace

std::vector<Overlap> findOverlaps(const std::vector<PatchRecord> &records)
{
    // Sorted by address, a record shares a byte with an earlier one exactly
    // when it starts before the furthest end reached so far. Ties keep the
    // order of the text.
    std::vector<std::pair<qint64, std::size_t>> sorted;
    sorted.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].newBytes > 0)
            sorted.emplace_back(records[i].address, i);
    }
    std::sort(sorted.begin(), sorted.end());
    std::vector<Overlap> overlaps;
    const PatchRecord *furthest = nullptr;
    qint64 reach = 0;
    for (const auto &[address, i] : sorted) {
        const PatchRecord &record = records[i];
        const qint64 end = address + record.newBytes;
        if (furthest && address < reach) {
            overlaps.push_back({std::min(record.line, furthest->line), std::max(record.line, furthest->line), address,
                                std::min(end, reach) - 1});
        }
        if (!furthest || end > reach) {
            furthest = &record;
            reach = end;
        }
    }
    std::stable_sort(overlaps.begin(), overlaps.end(),
                     [](const Overlap &a, const Overlap &b) { return a.firstLine < b.firstLine; });
    return overlaps;
}

QString handoverWarning(const PatchReading &reading)
{
    const std::vector<Overlap> overlaps = findOverlaps(reading.records);
    const std::vector<InForce> left = inForce(reading, false);
    // Every finding in the order of its line; only the shown ones are written out.
    enum Kind { Overlapping, Left, Unreadable };
    struct Found {
        int line;
        Kind kind;
        std::size_t index;
    };
    std::vector<Found> found;
    found.reserve(overlaps.size() + left.size() + reading.unreadable.size());
    for (std::size_t i = 0; i < overlaps.size(); ++i)
        found.push_back({overlaps[i].firstLine, Overlapping, i});
    for (std::size_t i = 0; i < left.size(); ++i)
        found.push_back({left[i].line, Left, i});
    for (std::size_t i = 0; i < reading.unreadable.size(); ++i)
        found.push_back({reading.unreadable[i].line, Unreadable, i});
    if (found.empty())
        return {};
    std::stable_sort(found.begin(), found.end(), [](const Found &a, const Found &b) { return a.line < b.line; });

    QStringList lines;
    for (std::size_t i = 0; i < found.size() && i < shownItems; ++i) {
        const Found &f = found[i];
        if (f.kind == Overlapping) {
            const Overlap &o = overlaps[f.index];
            lines += item(QStringLiteral("патчи в строках %1 и %2 пишут в одни и те же байты %3: оставьте один из них")
                              .arg(o.firstLine)
                              .arg(o.secondLine)
                              .arg(byteRange(o.from, o.to)));
        } else if (f.kind == Left) {
            lines += item(left[f.index].text);
        } else {
            const UnreadableLine &u = reading.unreadable[f.index];
            lines += item(QStringLiteral("строку %1 прошивальщик не прочтёт: %2").arg(u.line).arg(u.reason));
        }
    }
    if (found.size() > shownItems)
        lines += QStringLiteral("и ещё %1").arg(found.size() - shownItems);
    return QStringLiteral("Прошивальщик запишет этот патч не так, как задумано:\n\n%1\n\nПередать его всё равно?")
        .arg(lines.join(u'\n'));
}

QString appendWarning(const PatchReading &reading, const QString &path)
{
    QStringList lines;
    for (const InForce &left : inForce(reading, true))
        lines += item(left.text);
    if (lines.isEmpty())
        return {};
    return QStringLiteral("Патч добавлен, но он не отменяет в конце то, что включил.\n\nФайл: %1\n\n%2")
        .arg(QDir::toNativeSeparators(path), lines.join(u'\n'));
}
