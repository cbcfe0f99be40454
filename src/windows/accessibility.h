#pragma once

#include <QSet>

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

// The controls inside parent that lie covered now; after the stacking has
// changed, reportCoverageChanges() tells assistive technology which of them
// became hidden or showing.
QSet<QWidget *> coveredControls(const QWidget *parent);
void reportCoverageChanges(const QWidget *parent, const QSet<QWidget *> &coveredBefore);

} // namespace windows::accessibility
