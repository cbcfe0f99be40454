#include "forms/toggle_button.h"

namespace form {

// The caption is set once the object is a FormToggleButton: setting it
// announces the button to assistive technology, which must not meet a plain
// push button first.
FormToggleButton::FormToggleButton(const QString &caption, QWidget *parent) : QPushButton(parent)
{
    setCheckable(true);
    setText(caption);
}

} // namespace form
