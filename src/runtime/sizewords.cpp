#include "sizewords.h"

#include <QLocale>
#include <iterator>

QString sizeWords(qint64 bytes)
{
    static const QString units[] = {QStringLiteral("Б"), QStringLiteral("КиБ"), QStringLiteral("МиБ"), QStringLiteral("ГиБ"),
                                    QStringLiteral("ТиБ")};
    double size = double(bytes);
    std::size_t unit = 0;
    for (; size >= 1024 && unit + 1 < std::size(units); ++unit)
        size /= 1024;
    // Digits together, as the program's other numbers stand.
    QLocale russian(QLocale::Russian);
    russian.setNumberOptions(QLocale::OmitGroupSeparator);
    return QStringLiteral("%1 %2").arg(russian.toString(size, 'f', unit ? 1 : 0), units[unit]);
}
