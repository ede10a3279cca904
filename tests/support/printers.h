#pragma once

#include <QStringList>
#include <ostream>

// Lets GoogleTest show Qt strings in its failure messages.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList &lines, std::ostream *os)
{
    *os << '{';
    for (const QString &line : lines) {
        PrintTo(line, os);
        *os << (&line == &lines.back() ? "" : ", ");
    }
    *os << '}';
}
