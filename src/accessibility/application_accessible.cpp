#include "accessibility/application_accessible.h"

#include <QWidget>

namespace accessibility {

QList<QAccessibleInterface *> ApplicationAccessible::shownWindows() const
{
    QList<QAccessibleInterface *> shown;
    for (int i = 0; i < QAccessibleApplication::childCount(); ++i) {
        QAccessibleInterface *window = QAccessibleApplication::child(i);
        const auto *widget = window ? qobject_cast<const QWidget *>(window->object()) : nullptr;
        if (window && (!widget || widget->isVisible()))
            shown.append(window);
    }
    return shown;
}

int ApplicationAccessible::childCount() const
{
    return int(shownWindows().size());
}

QAccessibleInterface *ApplicationAccessible::child(int index) const
{
    const QList<QAccessibleInterface *> shown = shownWindows();
    return index >= 0 && index < shown.size() ? shown.at(index) : nullptr;
}

int ApplicationAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    return int(shownWindows().indexOf(const_cast<QAccessibleInterface *>(child)));
}

} // namespace accessibility
