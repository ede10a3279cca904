#include "failure.h"

#include <QDir>

QString Failure::message() const
{
    // A fault in the lines of the patch text is no file's.
    if (file.isEmpty())
        return QStringLiteral("%1\n\nПричина: %2.").arg(summary, reason);
    return QStringLiteral("%1\n\nФайл: %2\nПричина: %3.")
        .arg(summary, QDir::toNativeSeparators(file), reason);
}
