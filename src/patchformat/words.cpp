#include "words.h"

QStringView formFor(qint64 n, QStringView one, QStringView few, QStringView many)
{
    const qint64 tens = n % 100, units = n % 10;
    return (tens >= 11 && tens <= 14) ? many : units == 1 ? one : (units >= 2 && units <= 4) ? few : many;
}

QString plural(qint64 n, QStringView one, QStringView few, QStringView many)
{
    return QString::number(n) + u' ' + formFor(n, one, few, many).toString();
}

QString offsetText(qint64 offset)
{
    return (offset < 0 ? u'-' : u'+') + QString::number(qAbs(offset), 16).toUpper();
}

QString addressText(qint64 address)
{
    return QString::number(address, 16).toUpper().rightJustified(8, u'0');
}

QString pragmaLine(Pragma pragma, bool enable)
{
    return QStringLiteral("#pragma %1 %2").arg(enable ? u"enable" : u"disable", pragmaNames[int(pragma)]);
}

QString bullet(const QString &text)
{
    return QStringLiteral("• ") + text;
}
