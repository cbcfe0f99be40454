#include "forms/form_fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace form {
namespace {
// Of the faces asked for, those installed. A face that is missing makes Qt
// rank every installed font against it for each size and weight before it
// falls back, and the next face on the list is then the one it settles on.
QStringList installedFamilies(const QStringList &wanted)
{
    static const QStringList installed = QFontDatabase::families();
    QStringList found;
    for (const QString &family : wanted)
        if (installed.contains(family, Qt::CaseInsensitive))
            found << family;
    return found.isEmpty() ? wanted : found;
}
} // namespace

QFont makeFont(const Font &font, const QFont &base)
{
    if (!font.family)
        return base;
    QFont result;
    const QString family = QString::fromLatin1(font.family);
    QStringList families{family};
    if (family == QLatin1String("MS Sans Serif"))
        families << QStringLiteral("Microsoft Sans Serif");
    families << QStringLiteral("DejaVu Sans");
    result.setFamilies(installedFamilies(families));
    result.setStyleHint(QFont::SansSerif);
    result.setPixelSize(qRound(font.points * 96.0 / 72.0));
    result.setBold(font.bold);
    result.setUnderline(font.underline);
    return result;
}

} // namespace form
