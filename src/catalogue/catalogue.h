#pragma once
#include <QString>
#include <QStringList>
#include <optional>
namespace catalogue {
// What a lookup yields: the line shown under the second heading of the result
// (herbs for an ailment, ailments for a herb) and the remedy paragraph.
struct Finding
{
    QString line;
    QString remedy;
};
QStringList ailmentNames(); // 11 names, table order
QStringList herbNames();    // 27 names, table order
std::optional<Finding> lookupAilment(const QString &name);
std::optional<Finding> lookupHerb(const QString &name);
} // namespace catalogue
