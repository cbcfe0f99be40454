#pragma once

#include "forms/form_window.h"

#include <QDialog>

namespace windows {

// frmAbout: names the product, says what it does and carries two links.
class AboutWindow : public QDialog
{
    Q_OBJECT
public:
    AboutWindow();

    // Creates a fresh About window, shows it modally and returns once it is
    // closed, handing the activation back to the window that opened it. While
    // one is open another request only brings it forward.
    static void open(QWidget *opener);
    // The same, right after the event being handled: whatever asked for it
    // (a menu click, a screen reader's action) gets its answer at once
    // instead of waiting until the modal window closes.
    static void openSoon(QWidget *opener);

private:
    form::FormControls m_form;
};

} // namespace windows
