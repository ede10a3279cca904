#include "patchwarnings.h"

#include "findingwords.h"

#include <QDir>
#include <QStringList>
#include <algorithm>

namespace {

constexpr int shownItems = 10;
constexpr qint64 addressSpace = 0x100000000;

QString byteRange(qint64 from, qint64 to)
{
    return from == to ? addressText(from) : addressText(from) + u'–' + addressText(to);
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
    // Sorted by address, a piece shares a byte with an earlier one exactly
    // when it starts before the furthest end reached so far. A record that
    // runs past FFFFFFFF goes on at 00000000: two pieces. Ties keep the order
    // of the text.
    struct Piece {
        qint64 from;
        qint64 end;
        std::size_t record;
        bool operator<(const Piece &other) const
        {
            return from < other.from || (from == other.from && record < other.record);
        }
    };
    std::vector<Piece> pieces;
    pieces.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        const qint64 from = records[i].address;
        const qint64 end = from + std::min(records[i].newSize, addressSpace);
        if (end == from)
            continue;
        pieces.push_back({from, std::min(end, addressSpace), i});
        if (end > addressSpace)
            pieces.push_back({0, std::min(end - addressSpace, from), i});
    }
    // Patches are mostly written in the order of their addresses.
    if (!std::is_sorted(pieces.begin(), pieces.end()))
        std::sort(pieces.begin(), pieces.end());
    std::vector<Overlap> overlaps;
    const Piece *furthest = nullptr;
    for (const Piece &piece : pieces) {
        if (furthest && piece.from < furthest->end && piece.record != furthest->record) {
            const int a = records[piece.record].line, b = records[furthest->record].line;
            overlaps.push_back({std::min(a, b), std::max(a, b), quint32(piece.from),
                                quint32(std::min(piece.end, furthest->end) - 1)});
        }
        if (!furthest || piece.end > furthest->end)
            furthest = &piece;
    }
    std::stable_sort(overlaps.begin(), overlaps.end(),
                     [](const Overlap &a, const Overlap &b) { return a.firstLine < b.firstLine; });
    return overlaps;
}

QString handoverWarning(QStringView text, const PatchReading &reading, const std::vector<WarningItem> &more)
{
    const std::vector<Overlap> overlaps = findOverlaps(reading.records);
    const std::vector<InForce> left = inForce(reading, false);
    // Every finding in the order of its line; only the shown ones are written out.
    enum Kind { Overlapping, Left, Read, More };
    struct Found {
        int line;
        Kind kind;
        std::size_t index;
    };
    std::vector<Found> found;
    found.reserve(overlaps.size() + left.size() + reading.findings.size() + more.size());
    bool onlyDoubts = overlaps.empty() && left.empty() && more.empty();
    for (std::size_t i = 0; i < overlaps.size(); ++i)
        found.push_back({overlaps[i].firstLine, Overlapping, i});
    for (std::size_t i = 0; i < left.size(); ++i)
        found.push_back({left[i].line, Left, i});
    for (std::size_t i = 0; i < reading.findings.size(); ++i) {
        found.push_back({reading.findings[i].line, Read, i});
        onlyDoubts = onlyDoubts && severity(reading.findings[i].kind) == Severity::Doubt;
    }
    for (std::size_t i = 0; i < more.size(); ++i)
        found.push_back({more[i].line, More, i});
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
        } else if (f.kind == Read) {
            lines += item(findingWords(reading.findings[f.index], text));
        } else {
            lines += item(more[f.index].text);
        }
    }
    if (found.size() > shownItems)
        lines += QStringLiteral("и ещё %1").arg(found.size() - shownItems);
    const QString lead = onlyDoubts ? QStringLiteral("Прошивальщик может прочесть этот патч не так, как задумано:")
                                    : QStringLiteral("Прошивальщик запишет этот патч не так, как задумано:");
    return QStringLiteral("%1\n\n%2\n\nПередать его всё равно?").arg(lead, lines.join(u'\n'));
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
