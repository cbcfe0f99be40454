#pragma once

#include "accessibility/reading_order.h"

#include <QAccessibleWidget>
#include <QWidget>
#include <functional>

class QAbstractButton;
class QGroupBox;

namespace form {
class FormLabel;
} // namespace form

// How assistive technology sees the form engine's own controls, and the
// frames and labels that lie over one another on some forms.
//
// Qt 6.4 reports a control that lies entirely behind a sibling as showing:
// the co-brand labels and the result window's frames share places and are
// swapped by raising one. Flat review and the AT-SPI check found texts
// nobody could see. Those controls report themselves as invisible, and each
// restacking tells which became hidden or showing: the form engine hands
// every change to coverageChanged() (accessibility.h), which the application
// set-up names as its listener.
namespace accessibility {

// A part of a control that is no object of its own and holds nothing, such
// as a list's caption or a frame's words.
class Part : public QAccessibleInterface
{
public:
    QObject *object() const override { return nullptr; }
    QAccessibleInterface *focusChild() const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    void setText(QAccessible::Text, const QString &) override {}
    QAccessible::Role role() const override { return QAccessible::StaticText; }

protected:
    // Where the widget lies on the screen; nowhere without one.
    static QRect screenRect(const QWidget *widget)
    {
        return widget ? QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()) : QRect();
    }
};

// A control's part, made on first use and kept in Qt's cache of interfaces,
// which deletes it with the control unless the cache went first, as it
// empties at exit.
class OwnedPart
{
public:
    explicit OwnedPart(std::function<QAccessibleInterface *()> make) : m_make(std::move(make)) {}
    ~OwnedPart();
    OwnedPart(const OwnedPart &) = delete;
    OwnedPart &operator=(const OwnedPart &) = delete;

    QAccessibleInterface *get() const;

private:
    std::function<QAccessibleInterface *()> m_make;
    mutable QAccessible::Id m_id = 0;
};

// A form label: a link when something reacts to its clicks, otherwise text.
// Links stay out of the tab order like every label; their action is how a
// screen reader or switch access follows them: Orca's flat review says
// "Visit Quorvel Now link. Opens the Quorvel forum's home page in your web
// browser." and its click reaches the browser.
class LabelAccessible : public QAccessibleWidget
{
public:
    explicit LabelAccessible(form::FormLabel *label);

    QAccessible::Role role() const override;
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString &action) override;
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    form::FormLabel *label() const;
};

// A frame, as Qt describes one, that is not reported as showing while
// another frame lies over it; its caption labels the controls inside that
// take it as their label, and its controls are listed in reading order.
class FrameAccessible : public ContainerAccessible
{
public:
    explicit FrameAccessible(QGroupBox *frame);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QList<QPair<QAccessibleInterface *, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override;

private:
    QGroupBox *frame() const;
};

// A form's push button, and a check box drawn as a push button that springs
// back at once: it behaves as a push button, so it is one to assistive
// technology ("Click Here To Visit Quorvel Now" in the exit window's flat
// review), and every way of pressing it is a click. A button described with
// a frame (reading_order.h) flows to the frame's words, and they to what
// follows the button, where the Qt the program runs on passes that relation
// on (6.8): after Alt+N, Orca 48's say-all on Exit has to read "Ailment Name
// Toothache Herbs Clove Oil, ..." on through the remedy
// (scripts/orca_check.sh).
class ButtonAccessible : public QAccessibleWidget
{
public:
    explicit ButtonAccessible(QAbstractButton *button);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QList<QPair<QAccessibleInterface *, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override;
    QStringList actionNames() const override;
    void doAction(const QString &action) override;
    QStringList keyBindingsForAction(const QString &action) const override;

private:
    QAbstractButton *button() const;

    OwnedPart m_frameWords;
};

// Whether the Qt the program runs on is 6.8 or later. What Qt tells a screen
// reader by itself, and which relations it passes on, follow the Qt it runs
// on, not the one it was built with: a package built on 6.4 runs on 6.8.
bool runsOnQt68();

// Marks the state invisible when the control lies covered.
void addCovered(const QWidget *control, QAccessible::State &state);

} // namespace accessibility
