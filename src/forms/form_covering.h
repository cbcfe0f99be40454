#pragma once

#include <QEvent>
#include <QSet>

class QWidget;

// Which controls of a form nobody can see because a sibling lies over them.
// Frames and opaque labels share places on some forms and are swapped by
// raising one; what lies behind is still there, only hidden.
namespace form {

// True when the control, or a frame it sits in, lies entirely behind a
// sibling that paints its whole box.
bool isCovered(const QWidget *control);

// The controls inside parent that lie covered now.
QSet<QWidget *> coveredControls(const QWidget *parent);

// Sent to each control that a restacking covered or uncovered, for whoever
// keeps an account of what is visible (the application's event filters see
// it); the control itself ignores it.
class CoverageChange : public QEvent
{
public:
    explicit CoverageChange(bool covered) : QEvent(eventType()), m_covered(covered) {}
    static QEvent::Type eventType();
    bool covered() const { return m_covered; }

private:
    bool m_covered;
};

// Raises control above its siblings and sends a CoverageChange to every
// control whose coverage that changed.
void raiseAndTell(QWidget *control);

} // namespace form
