#pragma once

class QComboBox;
class QObject;

// Makes a drop-down list speak the entry it shows as the user moves through
// it, and keeps its closed popup from claiming the focus. The window that
// builds a list asks for it.
namespace accessibility {

// Hooks the list; a second call for the same list does nothing.
void followList(QComboBox *list);

// Whether object is a hooked list whose entry is being chosen in its open
// list, which tells the entry itself: the popup is open or closing.
bool choosingInOpenList(const QObject *object);

} // namespace accessibility
