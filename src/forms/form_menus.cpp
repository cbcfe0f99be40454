#include "forms/form_menus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <vector>

namespace form {

QHash<QString, QAction *> buildMenu(QMenuBar *bar,
                                    std::initializer_list<std::span<const MenuRow>> parts)
{
    std::vector<MenuRow> rows;
    for (const auto &part : parts)
        rows.insert(rows.end(), part.begin(), part.end());
    QHash<QString, QAction *> actions;
    QMenu *menu = nullptr;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const MenuRow &row = rows[i];
        const QString name = QString::fromLatin1(row.name);
        const QString caption = QString::fromLatin1(row.caption);
        QAction *action = nullptr;
        if (row.level == 0) {
            const bool hasEntries = i + 1 < rows.size() && rows[i + 1].level == 1;
            if (hasEntries) {
                menu = bar->addMenu(caption);
                menu->setObjectName(name);
                action = menu->menuAction();
            } else {
                menu = nullptr;
                action = bar->addAction(caption);
            }
        } else if (menu) {
            action =
                caption == QLatin1String("-") ? menu->addSeparator() : menu->addAction(caption);
        }
        if (!action)
            continue;
        action->setObjectName(name);
        action->setEnabled(row.enabled);
        actions.insert(name, action);
    }
    return actions;
}

} // namespace form
