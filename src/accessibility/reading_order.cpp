#include "accessibility/reading_order.h"

#include <QAbstractButton>
#include <QLabel>
#include <algorithm>

namespace accessibility {

QString readingOrderText(const QWidget *frame)
{
    QList<const QLabel *> labels;
    for (const QLabel *label : frame->findChildren<const QLabel *>())
        if (!label->isHidden() && !label->text().trimmed().isEmpty())
            labels.append(label);
    std::stable_sort(labels.begin(), labels.end(), [frame](const QLabel *a, const QLabel *b) {
        const QPoint pa = a->mapTo(frame, QPoint(0, 0));
        const QPoint pb = b->mapTo(frame, QPoint(0, 0));
        // Labels on one line rarely share their exact top: half a line apart
        // still counts as the same line.
        const int line = std::max(a->height(), b->height()) / 2;
        if (std::abs(pa.y() - pb.y()) > line)
            return pa.y() < pb.y();
        return pa.x() < pb.x();
    });
    QStringList words;
    for (const QLabel *label : labels)
        words.append(label->text().simplified());
    return words.join(QLatin1Char(' '));
}

void describeWithFrame(QAbstractButton *button, const QWidget *frame)
{
    button->setAccessibleDescription(readingOrderText(frame));
}

} // namespace accessibility
