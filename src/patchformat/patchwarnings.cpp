#include "patchwarnings.h"

#include "addressorder.h"
#include "findingwords.h"
#include "patchoverlaps.h"
#include "words.h"

#include <QDir>
#include <QStringList>
#include <algorithm>

namespace {

constexpr int shownItems = 10;

QString byteRange(qint64 from, qint64 to)
{
    return from == to ? addressText(from) : addressText(from) + u'–' + addressText(to);
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

// What is said of patches of the collection that write the same bytes: once
// for each pair, by their names, and a patch appended more than once as such.
std::vector<WarningItem> patchOverlapItems(const std::vector<PatchOverlap> &overlaps, const std::vector<HeaderAt> &headers)
{
    const auto same = [&](std::size_t a, std::size_t b) {
        return headers[a].header.name == headers[b].header.name && headers[a].header.target == headers[b].header.target;
    };
    std::vector<WarningItem> items;
    std::vector<bool> saidTwice(headers.size());
    for (const PatchOverlap &o : overlaps) {
        const HeaderAt &first = headers[o.first], &second = headers[o.second];
        if (!same(o.first, o.second)) {
            items.push_back({second.line, QStringLiteral("патчи «%1» и «%2» пишут в одни и те же %3, первый из них по адресу %4: "
                                                         "оставьте один из патчей")
                                              .arg(first.header.name, second.header.name,
                                                   plural(o.sharedBytes, u"байт", u"байта", u"байт"), addressText(o.from))});
            continue;
        }
        if (saidTwice[o.first] || saidTwice[o.second])
            continue;
        int copies = 0;
        for (std::size_t i = 0; i < headers.size(); ++i) {
            if (same(i, o.first)) {
                saidTwice[i] = true;
                ++copies;
            }
        }
        items.push_back({second.line, copies == 2 ? QStringLiteral("патч «%1» добавлен дважды: уберите лишний").arg(first.header.name)
                                                  : QStringLiteral("патч «%1» добавлен %2: оставьте один")
                                                        .arg(first.header.name, plural(copies, u"раз", u"раза", u"раз"))});
    }
    return items;
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
    sortByAddress(pieces, [](const Piece &a, const Piece &b) {
        return a.from < b.from || (a.from == b.from && a.record < b.record);
    });
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
    std::vector<Overlap> overlaps = findOverlaps(reading.records);
    std::vector<WarningItem> patchItems;
    if (!overlaps.empty()) {
        // Records of two patches of the collection are said as the pair, once.
        const std::vector<HeaderAt> headers = headersInText(text);
        std::erase_if(overlaps, [&](const Overlap &o) {
            const std::optional<std::size_t> a = patchAt(headers, o.firstLine), b = patchAt(headers, o.secondLine);
            return a && b && *a != *b;
        });
        patchItems = patchOverlapItems(findPatchOverlaps(reading.records, headers), headers);
    }
    const std::vector<InForce> left = inForce(reading, false);
    // Everything to say in the order of its line; only the shown ones are written out.
    enum class Source { Overlap, PatchOverlap, InForce, Finding, More };
    struct Said {
        int line;
        Source source;
        std::size_t index;
    };
    std::vector<Said> said;
    said.reserve(overlaps.size() + patchItems.size() + left.size() + reading.findings.size() + more.size());
    // How the tool will take the text, as the worst of what is said shows.
    enum class Reading { AsMeant, MaybeOtherwise, Otherwise };
    Reading will = overlaps.empty() && patchItems.empty() && left.empty() ? Reading::AsMeant : Reading::Otherwise;
    for (std::size_t i = 0; i < overlaps.size(); ++i)
        said.push_back({overlaps[i].firstLine, Source::Overlap, i});
    for (std::size_t i = 0; i < patchItems.size(); ++i)
        said.push_back({patchItems[i].line, Source::PatchOverlap, i});
    for (std::size_t i = 0; i < left.size(); ++i)
        said.push_back({left[i].line, Source::InForce, i});
    for (std::size_t i = 0; i < reading.findings.size(); ++i) {
        said.push_back({reading.findings[i].line, Source::Finding, i});
        will = std::max(will, severity(reading.findings[i].kind) == Severity::Doubt ? Reading::MaybeOtherwise : Reading::Otherwise);
    }
    for (std::size_t i = 0; i < more.size(); ++i) {
        said.push_back({more[i].line, Source::More, i});
        if (!more[i].onlyInforms)
            will = Reading::Otherwise;
    }
    if (said.empty())
        return {};
    std::stable_sort(said.begin(), said.end(), [](const Said &a, const Said &b) { return a.line < b.line; });

    QStringList lines;
    for (std::size_t i = 0; i < said.size() && i < shownItems; ++i) {
        const Said &s = said[i];
        switch (s.source) {
        case Source::Overlap:
            lines += bullet(QStringLiteral("патчи в строках %1 и %2 пишут в одни и те же байты %3: оставьте один из них")
                                .arg(overlaps[s.index].firstLine)
                                .arg(overlaps[s.index].secondLine)
                                .arg(byteRange(overlaps[s.index].from, overlaps[s.index].to)));
            break;
        case Source::PatchOverlap:
            lines += bullet(patchItems[s.index].text);
            break;
        case Source::InForce:
            lines += bullet(left[s.index].text);
            break;
        case Source::Finding:
            lines += bullet(findingWords(reading.findings[s.index], text));
            break;
        case Source::More:
            lines += bullet(more[s.index].text);
            break;
        }
    }
    if (said.size() > shownItems)
        lines += QStringLiteral("и ещё %1").arg(said.size() - shownItems);
    const QString lead = will == Reading::Otherwise ? QStringLiteral("Прошивальщик запишет этот патч не так, как задумано:")
        : will == Reading::MaybeOtherwise ? QStringLiteral("Прошивальщик может прочесть этот патч не так, как задумано:")
                                          : QStringLiteral("Прошивальщик запишет этот патч как задумано, но обратите внимание:");
    return QStringLiteral("%1\n\n%2\n\nПередать его всё равно?").arg(lead, lines.join(u'\n'));
}

QString appendWarning(const PatchReading &reading, const PatchHeader &header, const QString &path)
{
    QStringList lines;
    if (header.forAnotherPhone()) {
        lines += bullet(QStringLiteral("патч написан для %1, а эта программа — для %2: проверьте, подходит ли он к прошивке телефона")
                            .arg(header.target->text(), thisPhone().text()));
    }
    const bool otherPhone = !lines.isEmpty();
    for (const InForce &left : inForce(reading, true))
        lines += bullet(left.text);
    if (lines.isEmpty())
        return {};
    const QString lead = !otherPhone ? QStringLiteral("Патч добавлен, но он не отменяет в конце то, что включил.")
        : lines.size() == 1          ? QStringLiteral("Патч добавлен, но он написан не для этого телефона или прошивки.")
                                     : QStringLiteral("Патч добавлен, но обратите внимание:");
    return QStringLiteral("%1\n\nФайл: %2\n\n%3").arg(lead, QDir::toNativeSeparators(path), lines.join(u'\n'));
}
