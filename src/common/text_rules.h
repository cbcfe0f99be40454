#pragma once

#include <QString>

namespace textrules {

// Trimming removes leading and trailing blanks (code 32) only: tabs and line
// breaks are part of what the user typed.
inline QString trimSpaces(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

} // namespace textrules
