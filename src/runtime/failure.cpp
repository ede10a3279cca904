#include "failure.h"

#include <QDir>

QString Failure::message() const
{
    return QStringLiteral("%1\n\nФайл: %2\nПричина: %3.")
        .arg(summary, QDir::toNativeSeparators(file), reason);
}
