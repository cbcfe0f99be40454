#pragma once

#include "windows/form_window.h"

#include <QDialog>

namespace windows {

// frmAbout: names the product, says what it does and carries two links.
class AboutWindow : public QDialog
{
    Q_OBJECT
public:
    AboutWindow();

    // Creates a fresh About window, shows it modally and returns once it is
    // closed, handing the activation back to the window that opened it.
    static void open(QWidget *opener);

private:
    FormControls m_form;
};

} // namespace windows
