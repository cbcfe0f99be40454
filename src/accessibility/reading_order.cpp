#include "accessibility/reading_order.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMenuBar>
#include <QVariant>
#include <algorithm>
#include <numeric>

namespace accessibility {

namespace {

// The lines of the boxes at indices, from the top, each from the left. A
// box belongs to a line while its top lies above the middle of every box of
// the line.
QList<QList<int>> linesOf(const QList<QRect> &boxes, QList<int> indices)
{
    std::stable_sort(indices.begin(), indices.end(),
                     [&boxes](int a, int b) { return boxes.at(a).top() < boxes.at(b).top(); });
    // Controls on one line rarely share their exact top, and a tall one (a
    // frame beside a title) must not draw the lines below it into its own.
    const auto middle = [&boxes](int i) {
        return boxes.at(i).top() + std::max(1, boxes.at(i).height() / 2);
    };
    QList<QList<int>> lines;
    for (qsizetype first = 0; first < indices.size();) {
        int limit = middle(indices.at(first));
        qsizetype end = first + 1;
        for (; end < indices.size() && boxes.at(indices.at(end)).top() < limit; ++end)
            limit = std::min(limit, middle(indices.at(end)));
        QList<int> line = indices.mid(first, end - first);
        std::stable_sort(line.begin(), line.end(), [&boxes](int a, int b) {
            return boxes.at(a).left() < boxes.at(b).left();
        });
        lines.append(line);
        first = end;
    }
    return lines;
}

// The boxes at indices split where a gap runs from top to bottom between
// them, from the left; one group when no gap does.
QList<QList<int>> besideEachOther(const QList<QRect> &boxes, QList<int> indices)
{
    std::stable_sort(indices.begin(), indices.end(),
                     [&boxes](int a, int b) { return boxes.at(a).left() < boxes.at(b).left(); });
    QList<QList<int>> groups;
    int right = 0;
    for (int i : indices) {
        const QRect &box = boxes.at(i);
        if (groups.isEmpty() || box.left() > right) {
            groups.append(QList<int>());
            right = box.right();
        }
        groups.last().append(i);
        right = std::max(right, box.right());
    }
    return groups;
}

// Whether a box of one group lies beside two lines or more of another: then
// the groups are columns, and reading them line by line would cut one in
// two. Boxes that merely stand beside each other, line for line (a label
// and its field), are read line by line.
bool areColumns(const QList<QRect> &boxes, const QList<QList<int>> &groups)
{
    for (const QList<int> &group : groups) {
        for (const QList<int> &other : groups) {
            if (&other == &group)
                continue;
            const QList<QList<int>> lines = linesOf(boxes, other);
            for (int i : group) {
                const QRect &box = boxes.at(i);
                const auto beside =
                    std::count_if(lines.begin(), lines.end(), [&](const QList<int> &line) {
                        return std::any_of(line.begin(), line.end(), [&](int j) {
                            return boxes.at(j).top() <= box.bottom() &&
                                   box.top() <= boxes.at(j).bottom();
                        });
                    });
                if (beside >= 2)
                    return true;
            }
        }
    }
    return false;
}

QList<int> orderOf(const QList<QRect> &boxes, const QList<int> &indices)
{
    QList<int> order;
    const QList<QList<int>> groups = besideEachOther(boxes, indices);
    if (groups.size() > 1 && areColumns(boxes, groups)) {
        for (const QList<int> &column : groups)
            order += orderOf(boxes, column);
        return order;
    }
    for (const QList<int> &line : linesOf(boxes, indices))
        order += line;
    return order;
}

} // namespace

QList<int> readingOrder(const QList<QRect> &boxes)
{
    QList<int> all(boxes.size());
    std::iota(all.begin(), all.end(), 0);
    return orderOf(boxes, all);
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

namespace {
constexpr char describedFrameProperty[] = "thymaraDescribedFrame";
}

void describeWithFrame(QAbstractButton *button, QWidget *frame)
{
    button->setAccessibleDescription(readingOrderText(frame));
    button->setProperty(describedFrameProperty, QVariant::fromValue<QObject *>(frame));
}

QWidget *describedFrame(const QObject *button)
{
    return qobject_cast<QWidget *>(button->property(describedFrameProperty).value<QObject *>());
}

} // namespace accessibility
