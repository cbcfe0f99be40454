#pragma once

#include <QAccessibleApplication>

// The program as assistive technology sees it from the top.
//
// Qt 6.4 lists hidden windows among the application's children. The exit
// window is made hidden at Next; a reader that looked at it then kept it as
// not visible, since Qt only ever tells that a window became showing, never
// that it became visible: flat review of the exit window after Alt+N, Alt+B
// and Alt+F4 said "blank" where it has to say "Exit", then "Click Here To
// Visit Quorvel Now" (scripts/orca_check.sh). Only the windows that show are
// the program's children here.
namespace accessibility {

class ApplicationAccessible : public QAccessibleApplication
{
public:
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

private:
    QList<QAccessibleInterface *> shownWindows() const;
};

} // namespace accessibility
