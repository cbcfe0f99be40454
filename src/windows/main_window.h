#pragma once

#include "forms/form_window.h"

class QComboBox;
class QPushButton;
class QRadioButton;

namespace form {
class FormLabel;
} // namespace form

namespace windows {

// frmMain: where the user chooses a search mode and a name.
class MainWindow : public form::FormWindow
{
    Q_OBJECT
public:
    MainWindow();

    void load() override;

    QComboBox *cmbAilment() const { return m_cmbAilment; }
    QComboBox *cmbHerb() const { return m_cmbHerb; }
    QRadioButton *optAilment() const { return m_optAilment; }
    QRadioButton *Option1() const { return m_option1; }
    QPushButton *cmdNext() const { return m_cmdNext; }
    form::FormLabel *lblCobrand() const { return m_lblCobrand; }
    form::FormLabel *lblFullBrand() const { return m_lblFullBrand; }

    void cmdNext_Click();

protected:
    void closeHandling() override;

private:
    QComboBox *m_cmbAilment;
    QComboBox *m_cmbHerb;
    QRadioButton *m_optAilment;
    QRadioButton *m_option1;
    QPushButton *m_cmdNext;
    form::FormLabel *m_lblCobrand;
    form::FormLabel *m_lblFullBrand;
};

} // namespace windows
