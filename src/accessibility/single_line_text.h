#pragma once

#include <QAccessibleTextInterface>

// One line of text as assistive technology reads it: what a text box and a
// closed list's shown entry have in common.
//
// Qt 6.4 reports an empty attribute run at every offset of a text box. Orca
// joins the runs to read a line and lost its last character: typing "Alice"
// in the exit window's first field, Tab and Shift+Tab have to say "Your name
// text. Alice selected." (scripts/orca_check.sh), not "Alic". Here the
// attributes are one run over the whole text.
namespace accessibility {

class SingleLineText : public QAccessibleTextInterface
{
public:
    // The text from startOffset to endOffset; an end past the text, or -1,
    // reads to its end.
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    // The character whose characterRect() holds the point, or -1.
    int offsetAtPoint(const QPoint &point) const override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

protected:
    virtual QString line() const = 0;
};

} // namespace accessibility
