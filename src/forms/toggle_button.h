#pragma once

#include <QPushButton>

namespace form {

// A check box drawn as a push button. Its own class lets assistive technology
// be told what it is from the moment it exists.
class FormToggleButton : public QPushButton
{
    Q_OBJECT
public:
    FormToggleButton(const QString &caption, QWidget *parent);
};

} // namespace form
