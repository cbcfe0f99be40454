#pragma once

#include <QAccessibleWidget>
#include <QList>
#include <QRect>
#include <QString>

class QAbstractButton;
class QWidget;

// The order in which assistive technology reads a form.
//
// Children in reading order. Qt lists a widget's children in its stacking
// order, back to front, and the form engine stacks the first row of a layout
// table in front, so every window and frame listed its controls backwards:
// the menu bar came last, the offers before the banner, each list before its
// option button, the result after Exit and Back and each value before its
// heading. A screen reader's review and a UI Automation client's tree walk
// follow that list. Windows, their client areas and frames list their
// children in reading order instead: the menu bar first, then line by line
// from the top, each line from the left; of two controls in one place the
// one in front comes first. The tab order is the design's and stays apart.
//
// The result read with the button that has the focus. Qt 6.4 cannot send the
// "flows to" relation, and Orca's say-all on a push button reads only that
// button: after Alt+N the say-all has to read "Exit push button. Ailment
// Name Toothache Herbs Clove Oil, ..." on through the remedy
// (scripts/orca_check.sh). So the button's description is the visible result
// in reading order.
namespace accessibility {

// The indices of boxes in reading order: lines from the top, each from the
// left. A box belongs to a line while its top lies above the middle of every
// box of the line. Boxes that share a place keep the order they are given in.
// Columns are read one at a time, from the left: where a gap runs from top
// to bottom between the boxes and a box on one side lies beside two lines or
// more of the other (the exit window's catalogue beside its main column).
QList<int> readingOrder(const QList<QRect> &boxes);

// A window, client area or frame, as Qt describes it, with its children in
// reading order.
class ContainerAccessible : public QAccessibleWidget
{
public:
    ContainerAccessible(QWidget *container, QAccessible::Role role);

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

private:
    QList<QAccessibleInterface *> orderedChildren() const;
};

// The words shown in the frame, in reading order.
QString readingOrderText(const QWidget *frame);

// Describes the button with what the frame shows, and has a reader that goes
// on from the button go on in the frame (Orca 48's say-all follows "flows
// to" and reads only what has text; control_interfaces.h).
void describeWithFrame(QAbstractButton *button, QWidget *frame);

// The frame the button was described with, or none.
QWidget *describedFrame(const QObject *button);

} // namespace accessibility
