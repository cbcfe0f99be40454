#pragma once

class QWidget;

namespace platform {

// Keeps a window above all ordinary windows without activating it. Best done
// before the window is first shown: changing the flag of a shown window makes
// the window system map it again.
void makeTopmost(QWidget *window);

} // namespace platform
