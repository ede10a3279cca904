#include "countline.h"

#include "patchformat/words.h"

QString someOf(const QStringList &names)
{
    constexpr qsizetype most = 5;
    QString some = names.first(std::min(most, names.size())).join(QStringLiteral(", "));
    if (names.size() > most)
        some += QStringLiteral(" и ещё %1").arg(names.size() - most);
    return some;
}

QString countLine(const FolderCount &count)
{
    if (count.reading)
        return QStringLiteral("Читаю папку…");
    if (!count.chosen)
        return QStringLiteral("Выберите папку с патчами или перетащите её сюда.");
    const qint64 n = count.notPatches;
    const QString files = plural(n, u"файл", u"файла", u"файлов");
    const QString notPatch = formFor(n, u"не патч", u"не патчи", u"не патчи").toString();
    const qint64 m = count.namedOtherwise;
    // Counted all the same, so that the count adds up to the files in the folder.
    const QString withNames = formFor(m, u"с именем", u"с именами", u"с именами").toString();
    const QString it = formFor(m, u"его", u"их", u"их").toString();
    QString text;
    if (count.rows > 0) {
        text = QStringLiteral("Показано %1 из %2.").arg(count.rowsLeft).arg(count.rows);
        // Both in one sentence, which the list's width holds in two lines.
        if (n > 0 && m > 0)
            return text + QStringLiteral(" Ещё %1 — %2, %3 — %4 в другой кодировке: переименуйте %5, чтобы открыть.")
                              .arg(files, notPatch, QString::number(m), withNames, it);
        if (n > 0)
            text += QStringLiteral(" Ещё %1 в папке — %2.").arg(files, notPatch);
    } else if (n > 0) {
        text = QStringLiteral("В папке нет патчей: %1 в ней — %2.").arg(files, notPatch);
    } else if (count.phoneFolders.isEmpty() && m == 0) {
        text = QStringLiteral("В папке нет патчей.");
    }
    if (count.rows == 0 && !count.phoneFolders.isEmpty()) {
        text += (text.isEmpty() ? QStringLiteral("В папке нет патчей, а есть") : QStringLiteral(" Есть"))
            + QStringLiteral(" папки для других телефонов: %1.").arg(someOf(count.phoneFolders));
    }
    if (m > 0) {
        text += QStringLiteral(" %1%2 %3 в другой кодировке: программа не может %4 открыть, переименуйте %4.")
                    .arg(text.isEmpty() ? QString() : QStringLiteral("Ещё "), plural(m, u"файл", u"файла", u"файлов"), withNames, it);
    }
    return text.trimmed();
}
