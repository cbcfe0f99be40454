#include "accessibility/reading_order.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMenuBar>
#include <algorithm>
#include <numeric>

namespace accessibility {

QList<int> readingOrder(const QList<QRect> &boxes)
{
    QList<int> order(boxes.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&boxes](int a, int b) { return boxes.at(a).top() < boxes.at(b).top(); });
    // Controls on one line rarely share their exact top, and a tall one (a
    // frame beside a title) must not draw the lines below it into its own.
    const auto middle = [&boxes](int i) {
        return boxes.at(i).top() + std::max(1, boxes.at(i).height() / 2);
    };
    for (qsizetype first = 0; first < order.size();) {
        int limit = middle(order.at(first));
        qsizetype end = first + 1;
        for (; end < order.size() && boxes.at(order.at(end)).top() < limit; ++end)
            limit = std::min(limit, middle(order.at(end)));
        std::stable_sort(order.begin() + first, order.begin() + end, [&boxes](int a, int b) {
            return boxes.at(a).left() < boxes.at(b).left();
        });
        first = end;
    }
    return order;
}

ContainerAccessible::ContainerAccessible(QWidget *container, QAccessible::Role role)
    : QAccessibleWidget(container, role)
{
}

QList<QAccessibleInterface *> ContainerAccessible::orderedChildren() const
{
    // Which children there are is Qt's choice; only their order is ours.
    // Qt's order is back to front, so reversed it is front first.
    QList<QAccessibleInterface *> menuBars;
    QList<QAccessibleInterface *> placed;
    QList<QRect> boxes;
    QList<QAccessibleInterface *> others;
    for (int i = QAccessibleWidget::childCount() - 1; i >= 0; --i) {
        QAccessibleInterface *kid = QAccessibleWidget::child(i);
        if (!kid)
            continue;
        const auto *widget = qobject_cast<const QWidget *>(kid->object());
        if (qobject_cast<const QMenuBar *>(widget)) {
            menuBars.append(kid);
        } else if (widget) {
            placed.append(kid);
            boxes.append(widget->geometry());
        } else {
            others.prepend(kid);
        }
    }
    QList<QAccessibleInterface *> ordered = menuBars;
    for (int i : readingOrder(boxes))
        ordered.append(placed.at(i));
    return ordered + others;
}

int ContainerAccessible::childCount() const
{
    return int(orderedChildren().size());
}

QAccessibleInterface *ContainerAccessible::child(int index) const
{
    const QList<QAccessibleInterface *> kids = orderedChildren();
    return index >= 0 && index < kids.size() ? kids.at(index) : nullptr;
}

int ContainerAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    return int(orderedChildren().indexOf(const_cast<QAccessibleInterface *>(child)));
}

QString readingOrderText(const QWidget *frame)
{
    QList<const QLabel *> labels;
    QList<QRect> boxes;
    for (const QLabel *label : frame->findChildren<const QLabel *>()) {
        if (label->isHidden() || label->text().trimmed().isEmpty())
            continue;
        labels.append(label);
        boxes.append(QRect(label->mapTo(frame, QPoint(0, 0)), label->size()));
    }
    QStringList words;
    for (int i : readingOrder(boxes))
        words.append(labels.at(i)->text().simplified());
    return words.join(QLatin1Char(' '));
}

void describeWithFrame(QAbstractButton *button, const QWidget *frame)
{
    button->setAccessibleDescription(readingOrderText(frame));
}

} // namespace accessibility
