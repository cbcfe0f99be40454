#pragma once

class QWidget;

namespace platform {

// Keeps a window above all ordinary windows. Call it before the window is
// first shown: then it neither shows the window nor takes the focus (changing
// the flag of a shown window would hide it).
void makeTopmost(QWidget *window);

} // namespace platform
