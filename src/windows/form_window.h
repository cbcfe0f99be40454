#pragma once

#include "windows/form_layout.h"

#include <QMainWindow>

class QAbstractButton;

namespace windows {

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

    template <class T> T *control(const char *name) const
    {
        return qobject_cast<T *>(m_controls.value(QString::fromLatin1(name)));
    }

    QAction *menuAction(const char *name) const
    {
        return m_actions.value(QString::fromLatin1(name));
    }

protected:
    FormWindow(const char *objectName, int clientWidthTwips, int clientHeightTwips,
               int backgroundRgb);

    void buildControls(std::span<const form::Control> table, const form::Font &windowFont);
    void buildMenu(std::span<const form::MenuRow> rows);
    void describeControls(std::span<const form::Accessible> rows)
    {
        form::describe(m_controls, rows);
    }

    void setDefaultButton(QAbstractButton *button) { m_defaultButton = button; }
    void setCancelButton(QAbstractButton *button) { m_cancelButton = button; }

    // Runs whenever the window closes, whatever closes it; the close is never
    // refused.
    virtual void closeHandling() {}

    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QWidget *m_client = nullptr;
    QHash<QString, QWidget *> m_controls;
    QHash<QString, QAction *> m_actions;
    QAbstractButton *m_defaultButton = nullptr;
    QAbstractButton *m_cancelButton = nullptr;
    bool m_closed = false;
    bool m_placed = false;
};

// Centres a top-level window on the screen it is about to be shown on.
void centreOnScreen(QWidget *window);

} // namespace windows
