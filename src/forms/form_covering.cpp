#include "forms/form_covering.h"

#include <QWidget>

namespace form {
namespace {
CoverageListener coverageListener = nullptr;

// A transparent label in front leaves what lies behind it readable; a frame,
// an opaque label or a control that paints itself fully hides it.
bool paintsWholeBox(const QWidget *widget)
{
    return widget->autoFillBackground() || widget->testAttribute(Qt::WA_OpaquePaintEvent);
}

bool coveredBySibling(const QWidget *widget)
{
    const QWidget *parent = widget->parentWidget();
    if (!parent || widget->isWindow())
        return false;
    const QObjectList &siblings = parent->children();
    // Later children lie in front of earlier ones.
    for (qsizetype i = siblings.indexOf(const_cast<QWidget *>(widget)) + 1;
         i > 0 && i < siblings.size(); ++i) {
        const auto *sibling = qobject_cast<const QWidget *>(siblings.at(i));
        if (sibling && !sibling->isWindow() && !sibling->isHidden() && paintsWholeBox(sibling) &&
            sibling->geometry().contains(widget->geometry()))
            return true;
    }
    return false;
}
} // namespace

bool isCovered(const QWidget *control)
{
    for (const QWidget *widget = control; widget && !widget->isWindow();
         widget = widget->parentWidget())
        if (coveredBySibling(widget))
            return true;
    return false;
}

QSet<QWidget *> coveredControls(const QWidget *parent)
{
    QSet<QWidget *> covered;
    if (!parent)
        return covered;
    for (QWidget *widget : parent->findChildren<QWidget *>())
        if (isCovered(widget))
            covered.insert(widget);
    return covered;
}

void setCoverageListener(CoverageListener listener)
{
    coverageListener = listener;
}

void raiseAndTell(QWidget *control)
{
    QWidget *parent = control->parentWidget();
    const QSet<QWidget *> before = coveredControls(parent);
    control->raise();
    if (!parent || !coverageListener)
        return;
    for (QWidget *widget : parent->findChildren<QWidget *>())
        if (isCovered(widget) != before.contains(widget))
            coverageListener(widget);
}

} // namespace form
