#include "app/cobrand.h"

#include "app/random.h"
#include "app/window_registry.h"
#include "windows/form_label.h"
#include "windows/main_window.h"

namespace app {

std::int16_t intCoBrandRandomNumber = 0;

void CoBrand_Randomize()
{
    intCoBrandRandomNumber = static_cast<std::int16_t>(randomBetween(1, 6));
    windows::MainWindow *main = frmMain();
    if (intCoBrandRandomNumber % 2 == 1)
        main->lblCobrand()->raise();
    else
        main->lblFullBrand()->raise();
}

} // namespace app
