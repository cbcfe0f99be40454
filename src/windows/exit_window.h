#pragma once

#include "forms/form_window.h"

class QLineEdit;
class QPushButton;

namespace form {
class FormLabel;
class MultiLineTextBox;
class PromptFields;
} // namespace form

namespace windows {

class FaultWatch;

// frmNagScreen2: the last window of a run. It asks the user to support the
// forum, offers the "Refer A Friend" form, and ends the program when it closes.
class ExitWindow : public form::FormWindow
{
    Q_OBJECT
public:
    ExitWindow();

    void load() override;

    // The four texts the window asks for support with; one is chosen at load.
    static QString supportText(int index);

    form::FormLabel *Label2() const { return m_label2; }
    QPushButton *Check1() const { return m_check1; }
    QPushButton *cmdClose() const { return m_cmdClose; }
    QPushButton *cmdSubmit() const { return m_cmdSubmit; }
    QLineEdit *txtName() const { return m_txtName; }
    QLineEdit *txtEmail() const { return m_txtEmail; }
    QLineEdit *txtFriendName() const { return m_txtFriendName; }
    QLineEdit *txtFriendEmail() const { return m_txtFriendEmail; }
    form::MultiLineTextBox *txtMessage() const { return m_txtMessage; }

    void Check1_Click();
    void cmdSubmit_Click();
    // Tests the two e-mail addresses; shows at most one message.
    bool CheckReferralAddresses();

protected:
    void closeHandling() override;

private:
    form::FormLabel *m_label2;
    QPushButton *m_check1;
    QPushButton *m_cmdClose;
    QPushButton *m_cmdSubmit;
    QLineEdit *m_txtName;
    QLineEdit *m_txtEmail;
    QLineEdit *m_txtFriendName;
    QLineEdit *m_txtFriendEmail;
    form::MultiLineTextBox *m_txtMessage;
    form::PromptFields *m_prompts;
    FaultWatch *m_faults;
};

} // namespace windows
