#include "accessibility/line_edit_accessible.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <algorithm>

namespace accessibility {

LineEditAccessible::LineEditAccessible(QLineEdit *box)
    : QAccessibleWidget(box, QAccessible::EditableText)
{
}

QString LineEditAccessible::line() const
{
    return box()->text();
}

QLineEdit *LineEditAccessible::box() const
{
    return static_cast<QLineEdit *>(widget());
}

int LineEditAccessible::clamped(int offset) const
{
    return std::clamp(offset, 0, characterCount());
}

void LineEditAccessible::select(int startOffset, int endOffset)
{
    const int from = clamped(std::min(startOffset, endOffset));
    const int to = clamped(std::max(startOffset, endOffset));
    box()->setSelection(from, to - from);
}

void *LineEditAccessible::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    if (t == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface *>(this);
    return QAccessibleWidget::interface_cast(t);
}

QString LineEditAccessible::text(QAccessible::Text t) const
{
    return t == QAccessible::Value ? line() : QAccessibleWidget::text(t);
}

void LineEditAccessible::setText(QAccessible::Text t, const QString &text)
{
    if (t != QAccessible::Value) {
        QAccessibleWidget::setText(t, text);
        return;
    }
    if (!box()->isReadOnly())
        box()->setText(text);
}

QAccessible::State LineEditAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = box()->isReadOnly();
    state.editable = !state.readOnly;
    state.selectableText = true;
    return state;
}

int LineEditAccessible::selectionCount() const
{
    return box()->hasSelectedText() ? 1 : 0;
}

void LineEditAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !box()->hasSelectedText())
        return;
    *startOffset = box()->selectionStart();
    *endOffset = box()->selectionEnd();
}

// A text box holds one selection at most: adding one replaces it.
void LineEditAccessible::addSelection(int startOffset, int endOffset)
{
    select(startOffset, endOffset);
}

void LineEditAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        box()->deselect();
}

void LineEditAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        select(startOffset, endOffset);
}

int LineEditAccessible::cursorPosition() const
{
    return box()->cursorPosition();
}

void LineEditAccessible::setCursorPosition(int position)
{
    box()->setCursorPosition(clamped(position));
}

// The box holds one line: the line, and "no boundary", is the whole text,
// with nothing before or after it. Characters, words and sentences are found
// by the interface's own search over text().
QString LineEditAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                             int *startOffset, int *endOffset) const
{
    if (boundaryType == QAccessible::LineBoundary || boundaryType == QAccessible::NoBoundary) {
        *startOffset = *endOffset = 0;
        return {};
    }
    return QAccessibleTextInterface::textBeforeOffset(offset, boundaryType, startOffset, endOffset);
}

QString LineEditAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                            int *startOffset, int *endOffset) const
{
    if (boundaryType == QAccessible::LineBoundary || boundaryType == QAccessible::NoBoundary) {
        *startOffset = *endOffset = characterCount();
        return {};
    }
    return QAccessibleTextInterface::textAfterOffset(offset, boundaryType, startOffset, endOffset);
}

QString LineEditAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                         int *startOffset, int *endOffset) const
{
    if (boundaryType == QAccessible::LineBoundary || boundaryType == QAccessible::NoBoundary) {
        *startOffset = 0;
        *endOffset = characterCount();
        return box()->text();
    }
    return QAccessibleTextInterface::textAtOffset(offset, boundaryType, startOffset, endOffset);
}

// Measured from the caret (where an input method would draw), whose place
// already allows for the margins and for
// how far a long text has scrolled: the character lies as far from the caret
// as the text between them is wide.
QRect LineEditAccessible::characterRect(int offset) const
{
    const QString shown = box()->displayText();
    if (offset < 0 || offset >= shown.size())
        return {};
    const QFontMetrics metrics(box()->font());
    const QRect caret = box()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const int caretX = caret.center().x();
    const int left = caretX + metrics.horizontalAdvance(shown.left(offset)) -
                     metrics.horizontalAdvance(shown.left(box()->cursorPosition()));
    const QRect local(left, caret.top(), metrics.horizontalAdvance(shown.at(offset)),
                      caret.height());
    return QRect(box()->mapToGlobal(local.topLeft()), local.size());
}

// Moving the caret is what scrolls a text box: to the end of the part first,
// then to its start, so that as much of it as fits is in view.
void LineEditAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    box()->setCursorPosition(clamped(endIndex));
    box()->setCursorPosition(clamped(startIndex));
}

void LineEditAccessible::deleteText(int startOffset, int endOffset)
{
    if (box()->isReadOnly())
        return;
    select(startOffset, endOffset);
    if (box()->hasSelectedText())
        box()->del();
}

void LineEditAccessible::insertText(int offset, const QString &text)
{
    if (box()->isReadOnly())
        return;
    box()->setCursorPosition(clamped(offset));
    box()->insert(text);
}

void LineEditAccessible::replaceText(int startOffset, int endOffset, const QString &text)
{
    if (box()->isReadOnly())
        return;
    select(startOffset, endOffset);
    box()->insert(text);
}

} // namespace accessibility
