#pragma once

#include <QString>
#include <QStringView>

namespace textrules {

// The text without any of the given characters at either end; those inside
// stay.
inline QString trimEnds(const QString &text, QStringView blanks)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && blanks.contains(text.at(first)))
        ++first;
    while (last > first && blanks.contains(text.at(last - 1)))
        --last;
    return text.mid(first, last - first);
}

// Trimming removes leading and trailing blanks (code 32) only: tabs and line
// breaks are part of what the user typed.
inline QString trimSpaces(const QString &text)
{
    return trimEnds(text, u" ");
}

} // namespace textrules
