#pragma once

class QWidget;

// What assistive technology (a screen reader, switch access) is told about the
// controls of the program's forms, beyond what Qt says by itself.
namespace windows::accessibility {

// Teaches Qt's accessibility layer the program's link labels, its lists, its
// frames and its push-button toggle. Every form build calls it before it
// creates a control; only the first call does anything.
void install();

// True when the control, or a frame it sits in, lies entirely behind a
// sibling that paints its whole box: nobody can see it, so it is not reported
// as showing.
bool isCovered(const QWidget *control);

// Raises the control above its siblings and tells assistive technology that
// what it now covers is no longer showing.
void bringToFront(QWidget *control);

} // namespace windows::accessibility
