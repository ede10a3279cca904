#include "backupwords.h"

#include "patchformat/words.h"

#include <QStringList>
#include <algorithm>

namespace {

// Bytes as the words show them, eight at most; `placeholder(i)` tells which
// one a patch wrote as a placeholder.
template <typename Placeholder>
QString shownBytes(QByteArrayView bytes, Placeholder placeholder)
{
    constexpr qsizetype most = 8;
    QStringList shown;
    for (qsizetype i = 0; i < std::min(bytes.size(), most); ++i) {
        shown += placeholder(i) ? QStringLiteral("??")
                                : QStringLiteral("%1").arg(uchar(bytes[i]), 2, 16, QChar(u'0')).toUpper();
    }
    if (bytes.size() > most)
        shown += QStringLiteral("…");
    return shown.join(u' ');
}

// The old bytes a record expects, as the patch writes them.
QString expectedBytes(const PatchReading &reading, const PatchRecord &record)
{
    return shownBytes(reading.oldBytes(record), [&](qsizetype i) { return reading.isAnyByte(record.oldAt + i); });
}

// What the backup holds where the record expects its old bytes.
QString foundBytes(const BackupImage &backup, const PatchRecord &record)
{
    return shownBytes(backup.bytes(record.address, record.oldSize), [](qsizetype) { return false; });
}

QString backupSize(qint64 size)
{
    return QStringLiteral("%1 МиБ").arg(QString::number(double(size) / (1024 * 1024), 'f', size % (1024 * 1024) ? 1 : 0));
}

QString recordLines(int first, int last)
{
    return first == last ? QStringLiteral("запись в строке %1").arg(first)
                         : QStringLiteral("записи в строках %1–%2").arg(first).arg(last);
}

} // namespace

QString patchStateWords(const PatchReading &reading, const PatchMatch &match, const BackupImage &backup,
                        const QString &backupName)
{
    const auto applied = std::count(match.records.begin(), match.records.end(), RecordState::Applied);
    switch (match.state) {
    case PatchState::NoRecords:
        return QStringLiteral("В патче нет записей: сверять с копией прошивки нечего.");
    case PatchState::Applied:
        if (std::all_of(match.records.begin(), match.records.end(), [](RecordState s) { return s == RecordState::Unchanged; }))
            return QStringLiteral("Патч ничего не меняет в копии прошивки %1:\nего записи оставляют байты такими, какими их нашли.").arg(backupName);
        return QStringLiteral("Патч уже есть в копии прошивки %1.").arg(backupName);
    case PatchState::NotApplied:
        return QStringLiteral("Патча нет в копии прошивки %1,\nи он к ней подходит.").arg(backupName);
    case PatchState::PartlyApplied:
        return QStringLiteral("Патч есть в копии прошивки %1 лишь отчасти:\n"
                              "записано %2 из %3, остальные к ней подходят.")
            .arg(backupName)
            .arg(applied)
            .arg(plural(qint64(match.records.size()), u"записи", u"записей", u"записей"));
    case PatchState::DoesNotFit: {
        const PatchRecord &record = reading.records[*match.atFault];
        return QStringLiteral("Патч не для этой прошивки: не прошивайте его.\n"
                              "В строке %1 по адресу %2 он ждёт %3,\nа в копии прошивки %4 там %5.")
            .arg(QString::number(record.line), addressText(record.address), expectedBytes(reading, record),
                 backupName, foundBytes(backup, record));
    }
    case PatchState::Contradictory: {
        const RecordMeeting &first = match.contradictions.front();
        QString words = contradictionWords(reading.records[first.record].line, reading.records[first.earlier].line, first.written);
        words[0] = words[0].toUpper();
        return QStringLiteral("Записи патча не согласны друг с другом: не прошивайте его.\n%1,\n"
                              "а прошивальщик читает записи сверху вниз и эту не запишет.")
            .arg(words);
    }
    case PatchState::Outside: {
        const PatchRecord &record = reading.records[*match.atFault];
        return QStringLiteral("Патч пишет за концом копии прошивки %1 (%2):\n"
                              "строка %3, адрес %4. Видимо, он для другого телефона.")
            .arg(backupName, backupSize(backup.size()), QString::number(record.line),
                 addressText(record.address));
    }
    }
    return {};
}

QString recordWords(const PatchReading &reading, const PatchRecord &record, RecordState state, const BackupImage &backup,
                    const QString &backupName)
{
    QString said;
    switch (state) {
    case RecordState::Applied:
        said = QStringLiteral("Запись уже есть в копии прошивки %1.").arg(backupName);
        break;
    case RecordState::Fits:
        said = QStringLiteral("Записи нет в копии прошивки %1, и она к ней подходит.").arg(backupName);
        break;
    case RecordState::Unchanged:
        said = QStringLiteral("Запись ничего не меняет в копии прошивки %1: там уже то, что она оставит.").arg(backupName);
        break;
    case RecordState::DoesNotFit:
        said = QStringLiteral("Запись не подходит к копии прошивки %1: не прошивайте её.").arg(backupName);
        break;
    case RecordState::Outside:
        return QStringLiteral("Запись пишет по адресу %1, за концом копии прошивки %2 (%3).")
            .arg(addressText(record.address), backupName, backupSize(backup.size()));
    case RecordState::Rewritten:
        break; // said by what the text alone says
    }
    const QString expects = record.oldSize > 0 ? QStringLiteral("ждёт %1, ").arg(expectedBytes(reading, record))
                                               : QStringLiteral("старых байтов не даёт, ");
    const QString bytes = QStringLiteral("По адресу %1 %2пишет %3;\nв копии прошивки там %4.")
                              .arg(addressText(record.address), expects,
                                   shownBytes(reading.newBytes(record), [](qsizetype) { return false; }),
                                   shownBytes(backup.bytes(record.address, record.length()), [](qsizetype) { return false; }));
    return said.isEmpty() ? bytes : said + u'\n' + bytes;
}

std::vector<WarningItem> backupWarnings(const PatchReading &reading, const PatchMatch &match,
                                        const BackupImage &backup, const QString &backupName)
{
    // One item a run of records in the same state: a patch applied, foreign
    // or past the end is said once, with its first record's address.
    std::vector<WarningItem> items;
    for (std::size_t first = 0, last = 0; first < match.records.size(); first = last + 1) {
        const RecordState state = match.records[first];
        last = first;
        while (last + 1 < match.records.size() && match.records[last + 1] == state)
            ++last;
        const PatchRecord &record = reading.records[first];
        const bool many = first != last;
        const auto lines = [&] { return recordLines(record.line, reading.records[last].line); };
        switch (state) {
        case RecordState::Fits:
        case RecordState::Unchanged:
        case RecordState::Rewritten: // the text's own fault, said with what the text alone says
            break;
        case RecordState::Applied:
            items.push_back({record.line,
                             QStringLiteral("%1 уже есть в копии прошивки %2: этот патч уже на телефоне").arg(lines(), backupName),
                             true});
            break;
        case RecordState::DoesNotFit:
            items.push_back({record.line, QStringLiteral("%1 %2 к копии прошивки %3: по адресу %4 патч ждёт %5, "
                                                         "а там %6, — патч написан для другой прошивки")
                                              .arg(lines(), many ? QStringLiteral("не подходят") : QStringLiteral("не подходит"),
                                                   backupName, addressText(record.address),
                                                   expectedBytes(reading, record), foundBytes(backup, record))});
            break;
        case RecordState::Outside:
            items.push_back({record.line, QStringLiteral("%1 %2 по адресу %3%4, за концом копии прошивки %5 (%6)")
                                              .arg(lines(), many ? QStringLiteral("пишут") : QStringLiteral("пишет"),
                                                   addressText(record.address),
                                                   many ? QStringLiteral(" и дальше") : QString(), backupName,
                                                   backupSize(backup.size()))});
            break;
        }
    }
    return items;
}
