#pragma once

namespace windows {

class FormWindow;

// The main and result windows carry the same forum banner, offer strip and
// Help and Donate menus; this binds whichever of them a window has to the
// link commands and the About window.
void connectOutreach(FormWindow *window);

} // namespace windows
