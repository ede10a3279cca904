#include "patchwarnings.h"

#include "addressorder.h"
#include "findingwords.h"
#include "patchoverlaps.h"
#include "recordsmeet.h"
#include "words.h"

#include <QDir>
#include <QHash>
#include <QStringList>
#include <algorithm>
#include <map>
#include <set>

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

// "в один и тот же байт 00001000", "в одни и те же 3 байта".
QString sameBytes(qint64 count)
{
    return count == 1 ? QStringLiteral("в один и тот же байт")
                      : QStringLiteral("в одни и те же %1").arg(plural(count, u"байт", u"байта", u"байт"));
}

// Whether each record the later of two patches meets the earlier with
// expects what the earlier leaves: then the order is the point, not a fault.
bool followsOnly(const std::vector<RecordMeeting> &meetings, const PatchReading &reading, const std::vector<HeaderAt> &headers,
                 std::size_t first, std::size_t second)
{
    bool any = false;
    for (const RecordMeeting &m : meetings) {
        if (patchAt(headers, reading.records[m.record].line) != second || patchAt(headers, reading.records[m.earlier].line) != first)
            continue;
        if (m.meeting != Meeting::Follows)
            return false;
        any = true;
    }
    return any;
}

// What is said of patches of the collection that write the same bytes: once
// for each pair of patches, however many times either stands in the text, in
// the order they first stand in it; a patch appended more than once as such.
std::vector<WarningItem> patchOverlapItems(const std::vector<PatchOverlap> &overlaps, const std::vector<HeaderAt> &headers,
                                           const PatchReading &reading, const std::vector<RecordMeeting> &meetings)
{
    // Each header stands for the first one of the same patch: its name, for the same phone.
    std::vector<std::size_t> patch(headers.size());
    std::vector<int> repeats(headers.size());
    QHash<QString, std::size_t> firstOf;
    for (std::size_t i = 0; i < headers.size(); ++i) {
        const QString key = patchKey(headers[i].header);
        patch[i] = firstOf.value(key, i);
        firstOf.insert(key, patch[i]);
        ++repeats[patch[i]];
    }
    std::vector<WarningItem> items;
    std::set<std::pair<std::size_t, std::size_t>> said;
    for (const PatchOverlap &o : overlaps) {
        const std::size_t first = std::min(patch[o.first], patch[o.second]), second = std::max(patch[o.first], patch[o.second]);
        if (!said.insert({first, second}).second)
            continue;
        const QString &firstName = headers[first].header.name;
        if (first == second) {
            items.push_back({headers[o.second].line,
                             repeats[first] == 2 ? QStringLiteral("патч %1 добавлен дважды: уберите лишний").arg(quoted(firstName))
                                                : QStringLiteral("патч %1 добавлен %2: оставьте один")
                                                      .arg(quoted(firstName), plural(repeats[first], u"раз", u"раза", u"раз"))});
            continue;
        }
        // One name for two phones or firmwares: each said with its own.
        const PatchHeader &a = headers[first].header, &b = headers[second].header;
        const auto named = [&](const PatchHeader &h) {
            return a.name == b.name ? QStringLiteral("%1 (%2)").arg(quoted(h.name), h.target->text()) : quoted(h.name);
        };
        if (followsOnly(meetings, reading, headers, o.first, o.second)) {
            items.push_back({headers[o.second].line,
                             QStringLiteral("патч %1 пишет поверх патча %2 и ждёт то, что тот оставит, в %3, первый по адресу %4: "
                                            "порядок важен, сохраните его")
                                 .arg(named(headers[o.second].header), named(headers[o.first].header),
                                      plural(o.sharedBytes, u"байте", u"байтах", u"байтах"), addressText(o.from)),
                             true});
            continue;
        }
        items.push_back({headers[o.second].line, QStringLiteral("патчи %1 и %2 пишут %3, первый из них по адресу %4: "
                                                                "оставьте один из патчей")
                                                     .arg(named(a), named(b), sameBytes(o.sharedBytes), addressText(o.from))});
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

namespace {

// Everything to say before a hand-over, in the order of its lines; words are
// only given to what is shown.
class Said
{
public:
    Said(QStringView text, const PatchReading &reading, const std::vector<WarningItem> &more)
        : m_text(text)
        , m_reading(reading)
        , m_more(more)
        , m_overlaps(findOverlaps(reading.records))
    {
        meetings();
        m_left = inForce(reading, false);
        m_said.reserve(m_overlaps.size() + m_patchItems.size() + m_left.size() + reading.findings.size() + more.size());
        for (std::size_t i = 0; i < m_overlaps.size(); ++i)
            m_said.push_back({m_overlaps[i].firstLine, Source::Overlap, i, Weight::Fault});
        for (std::size_t i = 0; i < m_patchItems.size(); ++i)
            m_said.push_back({m_patchItems[i].line, Source::PatchOverlap, i, m_patchItems[i].onlyInforms ? Weight::Informs : Weight::Fault});
        for (std::size_t i = 0; i < m_left.size(); ++i)
            m_said.push_back({m_left[i].line, Source::InForce, i, Weight::Fault});
        for (std::size_t i = 0; i < reading.findings.size(); ++i)
            m_said.push_back({reading.findings[i].line, Source::Finding, i,
                              severity(reading.findings[i].kind) == Severity::Doubt ? Weight::Doubt : Weight::Fault});
        for (std::size_t i = 0; i < more.size(); ++i)
            m_said.push_back({more[i].line, Source::More, i, more[i].onlyInforms ? Weight::Informs : Weight::Fault});
        std::stable_sort(m_said.begin(), m_said.end(), [](const Item &a, const Item &b) { return a.line < b.line; });
    }

    std::size_t size() const { return m_said.size(); }
    int line(std::size_t i) const { return m_said[i].line; }
    Weight weight(std::size_t i) const { return m_said[i].weight; }
    // How the tool will take the text, as the worst of what is said shows.
    Weight worst() const
    {
        Weight worst = Weight::Informs;
        for (const Item &item : m_said)
            worst = std::min(worst, item.weight);
        return worst;
    }

    QString words(std::size_t i) const
    {
        const Item &s = m_said[i];
        switch (s.source) {
        case Source::Overlap: {
            const Overlap &o = m_overlaps[s.index];
            return QStringLiteral("патчи в строках %1 и %2 пишут %3 %4: оставьте один из них")
                .arg(o.firstLine)
                .arg(o.secondLine)
                .arg(o.from == o.to ? sameBytes(1) : QStringLiteral("в одни и те же байты"), byteRange(o.from, o.to));
        }
        case Source::PatchOverlap:
            return m_patchItems[s.index].text;
        case Source::InForce:
            return m_left[s.index].text;
        case Source::Finding:
            return findingWords(m_reading.findings[s.index], m_text);
        case Source::More:
            return m_more[s.index].text;
        }
        return {};
    }

private:
    enum class Source { Overlap, PatchOverlap, InForce, Finding, More };
    struct Item {
        int line;
        Source source;
        std::size_t index;
        Weight weight;
    };

    // Where records meet, their bytes tell a chain from a fault: a reading
    // that only counted them is read again then. Records of two patches of
    // the collection are said as the pair, once. A record that expects what
    // one above it left was meant so; one that expects something else and
    // shares no byte written with the other is said on its own.
    void meetings()
    {
        const std::vector<RecordMeeting> meetings = !m_reading.bytes.isEmpty() ? recordsMeet(m_reading).meetings
            : m_overlaps.empty()                                                ? std::vector<RecordMeeting>()
                                                                                : recordsMeet(readPatchText(m_text)).meetings;
        if (m_overlaps.empty() && meetings.empty())
            return;
        const std::vector<HeaderAt> headers = headersInText(m_text);
        const auto ofTwoPatches = [&](int firstLine, int secondLine) {
            const std::optional<std::size_t> a = patchAt(headers, firstLine), b = patchAt(headers, secondLine);
            return a && b && *a != *b;
        };
        std::map<int, const RecordMeeting *> byLine;
        for (const RecordMeeting &m : meetings)
            byLine.emplace(m_reading.records[m.record].line, &m);
        std::erase_if(m_overlaps, [&](const Overlap &o) {
            const auto m = byLine.find(o.secondLine);
            return ofTwoPatches(o.firstLine, o.secondLine) || (m != byLine.end() && m->second->meeting == Meeting::Follows);
        });
        std::set<int> saidAsOverlap;
        for (const Overlap &o : m_overlaps)
            saidAsOverlap.insert(o.secondLine);
        m_patchItems = patchOverlapItems(findPatchOverlaps(m_reading.records, headers), headers, m_reading, meetings);
        for (const RecordMeeting &m : meetings) {
            const int line = m_reading.records[m.record].line, earlier = m_reading.records[m.earlier].line;
            if (m.meeting == Meeting::Contradicts && !ofTwoPatches(earlier, line) && !saidAsOverlap.contains(line))
                m_patchItems.push_back({line, contradictionWords(line, earlier, m.written) + QStringLiteral(": прошивальщик её не запишет")});
        }
    }

    QStringView m_text;
    const PatchReading &m_reading;
    const std::vector<WarningItem> &m_more;
    std::vector<Overlap> m_overlaps;
    std::vector<WarningItem> m_patchItems; // of patches, and records at odds
    std::vector<InForce> m_left;
    std::vector<Item> m_said;
};

} // namespace

std::vector<Notice> handoverNotices(QStringView text, const PatchReading &reading, const std::vector<WarningItem> &more)
{
    const Said said(text, reading, more);
    std::vector<Notice> notices;
    notices.reserve(said.size());
    for (std::size_t i = 0; i < said.size(); ++i)
        notices.push_back({said.line(i), said.words(i), said.weight(i)});
    return notices;
}

QString handoverWarning(QStringView text, const PatchReading &reading, const std::vector<WarningItem> &more)
{
    const Said said(text, reading, more);
    if (said.size() == 0)
        return {};
    QStringList lines;
    for (std::size_t i = 0; i < said.size() && i < shownItems; ++i)
        lines += bullet(said.words(i));
    if (said.size() > shownItems)
        lines += QStringLiteral("и ещё %1").arg(said.size() - shownItems);
    const Weight worst = said.worst();
    const QString lead = worst == Weight::Fault ? QStringLiteral("Прошивальщик запишет этот патч не так, как задумано:")
        : worst == Weight::Doubt                ? QStringLiteral("Прошивальщик может прочесть этот патч не так, как задумано:")
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
