#pragma once

#include "forms/form_window.h"

class QGroupBox;
class QPushButton;

namespace form {
class FormLabel;
} // namespace form

namespace windows {

// frmDisplay: the outcome of one search. Next fills both frames and brings
// the one of the chosen mode to the front; Back discards the window.
class ResultWindow : public form::FormWindow
{
    Q_OBJECT
public:
    ResultWindow();

    QGroupBox *fraAilment() const { return m_fraAilment; }
    QGroupBox *fraHerb() const { return m_fraHerb; }
    form::FormLabel *lblAilmentNameAil() const { return m_lblAilmentNameAil; }
    form::FormLabel *lblHerbsAil() const { return m_lblHerbsAil; }
    form::FormLabel *lblPaganHerbalRemedyAil() const { return m_lblPaganHerbalRemedyAil; }
    form::FormLabel *lblHerbNameHer() const { return m_lblHerbNameHer; }
    form::FormLabel *lblAilmentNameHer() const { return m_lblAilmentNameHer; }
    form::FormLabel *lblPaganHerbalRemedyHer() const { return m_lblPaganHerbalRemedyHer; }
    QPushButton *cmdBack() const { return m_cmdBack; }
    QPushButton *cmdExit() const { return m_cmdExit; }

    // Places the frame above every other control of the window.
    void bringFrameToFront(QGroupBox *frame);

    void cmdBack_Click();
    void cmdExit_Click();

protected:
    void closeHandling() override;

private:
    QGroupBox *m_fraAilment;
    QGroupBox *m_fraHerb;
    form::FormLabel *m_lblAilmentNameAil;
    form::FormLabel *m_lblHerbsAil;
    form::FormLabel *m_lblPaganHerbalRemedyAil;
    form::FormLabel *m_lblHerbNameHer;
    form::FormLabel *m_lblAilmentNameHer;
    form::FormLabel *m_lblPaganHerbalRemedyHer;
    QPushButton *m_cmdBack;
    QPushButton *m_cmdExit;
};

} // namespace windows
