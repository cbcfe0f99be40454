#pragma once

#include "forms/form_table.h"

#include <QHash>
#include <QMainWindow>
#include <QRect>
#include <QString>
#include <initializer_list>
#include <span>

class QAbstractButton;

namespace form {

// What every window of the program is built from.
struct Form
{
    const char *objectName;
    int clientWidth, clientHeight; // twips
    int background;                // 0xRRGGBB
    std::span<const form::Control> controls;
    form::Font font;
    std::span<const form::Link> links;
};

// The controls and menu entries of one built form, by name. A name that is
// not there, or names another kind of control, is a mistake in the program:
// it stops at once and says which name, in every build.
class FormControls
{
public:
    // Names, titles and colours the top-level window, builds the controls
    // into client (the window itself where it has no menu bar) and makes the
    // client the form's fixed size.
    void build(QWidget *window, QWidget *client, const Form &form);
    void buildMenu(QMenuBar *bar, std::initializer_list<std::span<const form::MenuRow>> parts);
    // Binds each link's label or menu entry to its command, within context.
    void connectLinks(QObject *context, std::span<const form::Link> links) const;

    template <class T> T *control(const char *name) const
    {
        auto *widget = qobject_cast<T *>(m_controls.value(QString::fromLatin1(name)));
        if (!widget)
            missing(name, T::staticMetaObject.className());
        return widget;
    }
    QAction *menuAction(const char *name) const;

private:
    [[noreturn]] void missing(const char *name, const char *kind) const;

    QString m_formName;
    QHash<QString, QWidget *> m_controls;
    QHash<QString, QAction *> m_actions;
};

// A top-level window of the program: a fixed client area in twips with an
// optional menu bar above it, a fixed border, and the behaviour of a classic
// desktop form: Enter goes to the focused button or else to the default
// button, Esc to the cancel button, and the window opens centred.
class FormWindow : public QMainWindow
{
    Q_OBJECT
public:
    // The window's load handling, run once right after it is created.
    virtual void load() {}

    // True from the moment the window has accepted its close; it is destroyed
    // right after and counts as gone.
    bool isClosed() const { return m_closed; }

    template <class T> T *control(const char *name) const { return m_form.control<T>(name); }
    QAction *menuAction(const char *name) const { return m_form.menuAction(name); }

    // Raises one of the window's controls above its siblings; the controls
    // that this hides or uncovers are told (form_covering.h).
    void bringToFront(QWidget *control);

protected:
    // Builds the form and its menu, and binds its links.
    explicit FormWindow(const Form &form,
                        std::initializer_list<std::span<const form::MenuRow>> menu = {});

    void setDefaultButton(QAbstractButton *button) { m_defaultButton = button; }
    void setCancelButton(QAbstractButton *button) { m_cancelButton = button; }

    // Runs whenever the window closes, whatever closes it; the close is never
    // refused.
    virtual void closeHandling() {}

    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    FormControls m_form;
    QAbstractButton *m_defaultButton = nullptr;
    QAbstractButton *m_cancelButton = nullptr;
    bool m_closed = false;
    bool m_placed = false;
};

// Centres a top-level window on the screen it is about to be shown on.
void centreOnScreen(QWidget *window);

// Where a window whose frame is this size goes on a screen of this available
// area: the top left corner of its frame, centred, but never beyond the area's
// left or top edge.
QPoint placementOn(const QRect &available, const QSize &frame);

} // namespace form
