#pragma once

#include <QString>

namespace platform {

// Hands an address to the desktop's default browser and returns at once. The
// outcome is deliberately ignored: with no browser installed nothing happens
// and nothing is shown. The address must already be fully encoded ASCII; it
// reaches the browser byte for byte.
//
// A query may carry what the user typed, so it never reaches standard output,
// standard error or a log: Qt's messages about the address keep only the part
// before the "?", and whatever the started helper or browser prints goes
// nowhere.
void openInBrowser(const QString &address);

} // namespace platform
