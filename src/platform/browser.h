#pragma once

#include <QString>

namespace platform {

// Hands an address to the desktop's default browser and returns at once. The
// outcome is deliberately ignored: with no browser installed nothing happens
// and nothing is shown. The address must already be fully encoded ASCII; it
// reaches the browser byte for byte.
void openInBrowser(const QString &address);

} // namespace platform
