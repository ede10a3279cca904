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

QString contradictionWords(int line, int earlierLine, bool written)
{
    return (written ? QStringLiteral("запись в строке %1 ждёт байты, которые запись в строке %2 уже переписала")
                    : QStringLiteral("запись в строке %1 ждёт не те байты, что запись в строке %2"))
        .arg(line)
        .arg(earlierLine);
}

QString quoted(QStringView text)
{
    QString inner = text.toString();
    inner.replace(u'«', u'„').replace(u'»', u'“');
    return u'«' + inner + u'»';
}

QString bullet(const QString &text)
{
    return QStringLiteral("• ") + text;
}
