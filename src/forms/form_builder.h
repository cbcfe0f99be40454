#pragma once

#include "forms/form_table.h"

#include <QHash>
#include <QString>
#include <span>

class QWidget;

namespace form {

// Builds the controls of a table into client, which gets windowFont. Stacking
// follows stored order (first row in front, labels behind everything else in
// their container), the tab order follows the tab indices, and every control
// is named by objectName. Returns the controls by name.
QHash<QString, QWidget *> build(QWidget *client, std::span<const Control> table,
                                const Font &windowFont);

// The text a caption shows: "&" marks the access key and is not shown, "&&"
// shows one "&".
QString shownCaption(const QString &caption);
QString shownCaption(const char *caption);

} // namespace form
