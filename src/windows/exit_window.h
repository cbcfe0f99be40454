#pragma once

#include "windows/form_window.h"

class QLineEdit;
class QPushButton;

namespace windows {

class FormLabel;
class MultiLineTextBox;
class PromptFields;

// frmNagScreen2: the last window of a run. It asks the user to support the
// forum, offers the "Refer A Friend" form, and ends the program when it closes.
class ExitWindow : public FormWindow
{
    Q_OBJECT
public:
    ExitWindow();

    void load() override;

    // The four texts the window asks for support with; one is chosen at load.
    static QString supportText(int index);

    FormLabel *Label2() const { return m_label2; }
    QPushButton *Check1() const { return m_check1; }
    QPushButton *cmdClose() const { return m_cmdClose; }
    QPushButton *cmdSubmit() const { return m_cmdSubmit; }
    QLineEdit *txtName() const { return m_txtName; }
    QLineEdit *txtEmail() const { return m_txtEmail; }
    QLineEdit *txtFriendName() const { return m_txtFriendName; }
    QLineEdit *txtFriendEmail() const { return m_txtFriendEmail; }
    MultiLineTextBox *txtMessage() const { return m_txtMessage; }

    void Check1_Click();
    void cmdSubmit_Click();
    // Tests the two e-mail addresses; shows at most one message.
    bool CheckReferralAddresses();

protected:
    void closeHandling() override;

private:
    FormLabel *m_label2;
    QPushButton *m_check1;
    QPushButton *m_cmdClose;
    QPushButton *m_cmdSubmit;
    QLineEdit *m_txtName;
    QLineEdit *m_txtEmail;
    QLineEdit *m_txtFriendName;
    QLineEdit *m_txtFriendEmail;
    MultiLineTextBox *m_txtMessage;
    PromptFields *m_prompts;
};

} // namespace windows
