#include "app/cobrand.h"

#include "common/random.h"
#include "forms/form_label.h"
#include "windows/main_window.h"
#include "windows/window_registry.h"

namespace app {

std::int16_t intCoBrandRandomNumber = 0;

void CoBrand_Randomize()
{
    intCoBrandRandomNumber = static_cast<std::int16_t>(common::randomBetween(1, 6));
    windows::MainWindow *main = windows::frmMain();
    if (intCoBrandRandomNumber % 2 == 1)
        main->bringToFront(main->lblCobrand());
    else
        main->bringToFront(main->lblFullBrand());
}

} // namespace app
