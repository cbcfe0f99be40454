#pragma once

#include "windows/form_window.h"

class QGroupBox;
class QPushButton;

namespace windows {

class FormLabel;

// frmDisplay: the outcome of one search. Next fills both frames and brings
// the one of the chosen mode to the front; Back discards the window.
class ResultWindow : public FormWindow
{
    Q_OBJECT
public:
    ResultWindow();

    QGroupBox *fraAilment() const { return m_fraAilment; }
    QGroupBox *fraHerb() const { return m_fraHerb; }
    FormLabel *lblAilmentNameAil() const { return m_lblAilmentNameAil; }
    FormLabel *lblHerbsAil() const { return m_lblHerbsAil; }
    FormLabel *lblPaganHerbalRemedyAil() const { return m_lblPaganHerbalRemedyAil; }
    FormLabel *lblHerbNameHer() const { return m_lblHerbNameHer; }
    FormLabel *lblAilmentNameHer() const { return m_lblAilmentNameHer; }
    FormLabel *lblPaganHerbalRemedyHer() const { return m_lblPaganHerbalRemedyHer; }
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
    FormLabel *m_lblAilmentNameAil;
    FormLabel *m_lblHerbsAil;
    FormLabel *m_lblPaganHerbalRemedyAil;
    FormLabel *m_lblHerbNameHer;
    FormLabel *m_lblAilmentNameHer;
    FormLabel *m_lblPaganHerbalRemedyHer;
    QPushButton *m_cmdBack;
    QPushButton *m_cmdExit;
};

} // namespace windows
