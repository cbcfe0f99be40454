#pragma once

#include "accessibility/single_line_text.h"

#include <QAccessibleWidget>

class QLineEdit;

// A plain single-line text box (no password echo), as assistive technology
// reads and edits it: one line of text (single_line_text.h), and the rest the
// text box's own public API.
namespace accessibility {

class LineEditAccessible : public QAccessibleWidget,
                           public SingleLineText,
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
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int *startOffset, int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int *startOffset, int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override;
    QRect characterRect(int offset) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;

    // QAccessibleEditableTextInterface
    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString &text) override;
    void replaceText(int startOffset, int endOffset, const QString &text) override;

private:
    QString line() const override;
    QLineEdit *box() const;
    // The offset moved into the text: 0 up to its length.
    int clamped(int offset) const;
    // Selects startOffset..endOffset (in either order) for an edit or a
    // selection asked for.
    void select(int startOffset, int endOffset);
};

} // namespace accessibility
