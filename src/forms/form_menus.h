#pragma once

#include "forms/form_table.h"

#include <QHash>
#include <QString>
#include <initializer_list>
#include <span>

class QAction;
class QMenuBar;

namespace form {

// Fills a menu bar from its rows, given in parts that follow one another;
// returns the actions by name (a drop-down menu's own action under the
// menu's name).
QHash<QString, QAction *> buildMenu(QMenuBar *bar,
                                    std::initializer_list<std::span<const MenuRow>> parts);

} // namespace form
