#pragma once

#include "accessibility/control_interfaces.h"
#include "accessibility/single_line_text.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <functional>

class QComboBox;

// A selection-only drop-down list as assistive technology reads it.
//
// Qt names a drop-down list by the entry it shows. UI Automation reads that
// name and takes the value from the value text, so a screen reader on
// Windows heard "Toothache" where Orca, which looks for the label, heard
// "Ailment". The list is named by the form's name for it ("Ailment",
// "Herb"), and the entry it shows is its value.
//
// Qt 6.4 gives a closed drop-down list no text and no selection interface,
// so Orca named the list but found no value: at the start it has to say
// "Ailment combo box. Toothache." and Down on the closed list "Sinus
// Problems" (scripts/orca_check.sh). The list's text is the entry it shows,
// selected while the list has the focus, so that each new entry announced
// by list_following.h reads as replacing a selected text.
namespace accessibility {

// Plain read-only text for an interface that shows a text of its own: one
// line (single_line_text.h), the whole of it reported as selected while
// selected() says so. Its characters lie where
// owner draws them, from the left of box (in owner's coordinates): Orca's
// flat review reads a text only where it lies on the screen, and without
// places it read the list's name instead of the entry the list shows.
class ShownText : public SingleLineText
{
public:
    ShownText(std::function<QString()> text, std::function<bool()> selected, const QWidget *owner,
              std::function<QRect()> box);

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int offset) const override;
    void scrollToSubstring(int, int) override {}

private:
    QString line() const override { return m_text(); }

    std::function<QString()> m_text;
    std::function<bool()> m_selected;
    QPointer<const QWidget> m_owner;
    std::function<QRect()> m_box;
};

// The list, as Qt describes one, named by the form's name for it, with the
// shown entry as its value and text, and the form's name given as its label
// instead of the caption of the frame around it.
class ListAccessible : public QAccessibleWidget
{
public:
    explicit ListAccessible(QComboBox *list);

    void *interface_cast(QAccessible::InterfaceType t) override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    // The open list lies in a window of its own.
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    QList<QPair<QAccessibleInterface *, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString &action) override;
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QComboBox *list() const;

    OwnedPart m_caption;
    ShownText m_shown;
};

} // namespace accessibility
