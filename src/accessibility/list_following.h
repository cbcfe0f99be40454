#pragma once

class QComboBox;

// Makes every drop-down list speak the entry it shows as the user moves
// through it. accessibility::install() has every list followed as it is
// first polished; nothing else needs to ask for it.
namespace accessibility {

// Hooks the list; a second call for the same list does nothing.
void followList(QComboBox *list);

} // namespace accessibility
