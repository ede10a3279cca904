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
    QString text;
    if (count.listed > 0) {
        text = QStringLiteral("Показано %1 из %2.").arg(count.shown).arg(count.listed);
        if (n > 0)
            text += QStringLiteral(" Ещё %1 в папке — %2.").arg(files, notPatch);
    } else if (n > 0) {
        text = QStringLiteral("В папке нет патчей: %1 в ней — %2.").arg(files, notPatch);
    } else if (count.phoneFolders.isEmpty() && count.namedOtherwise == 0) {
        text = QStringLiteral("В папке нет патчей.");
    }
    if (count.listed == 0 && !count.phoneFolders.isEmpty()) {
        text += (text.isEmpty() ? QStringLiteral("В папке нет патчей, а есть") : QStringLiteral(" Есть"))
            + QStringLiteral(" папки для других телефонов: %1.").arg(someOf(count.phoneFolders));
    }
    // Counted all the same, so that the count adds up to the files in the folder.
    if (const qint64 m = count.namedOtherwise; m > 0) {
        const QString it = formFor(m, u"его", u"их", u"их").toString();
        text += QStringLiteral(" %1%2 с именем в другой кодировке: программа не может %3 открыть, переименуйте %3.")
                    .arg(text.isEmpty() ? QString() : QStringLiteral("Ещё "), plural(m, u"файл", u"файла", u"файлов"), it);
    }
    return text.trimmed();
}
