#pragma once

#include <QAccessibleWidget>

class QLineEdit;

// A plain single-line text box (no password echo), as assistive technology
// reads and edits it.
//
// Qt 6.4 reports an empty attribute run at every offset of a text box. Orca
// joins the runs to read a line and lost its last character: typing "Alice"
// in the exit window's first field, Tab and Shift+Tab have to say "Your name
// text. Alice selected." (scripts/orca_check.sh), not "Alic". Here the
// attributes are one run over the whole text, and the rest is the text box's
// own public API.
namespace accessibility {

class LineEditAccessible : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface
{
public:
    explicit LineEditAccessible(QLineEdit *box);

    void *interface_cast(QAccessible::InterfaceType t) override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text t, const QString &text) override;
    QAccessible::State state() const override;

    // QAccessibleTextInterface
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int *startOffset, int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int *startOffset, int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

    // QAccessibleEditableTextInterface
    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString &text) override;
    void replaceText(int startOffset, int endOffset, const QString &text) override;

private:
    QLineEdit *box() const;
    // The offset moved into the text: 0 up to its length.
    int clamped(int offset) const;
    // Selects startOffset..endOffset (in either order) for an edit or a
    // selection asked for.
    void select(int startOffset, int endOffset);
};

} // namespace accessibility
