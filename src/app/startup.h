#pragma once

#include <QDate>

namespace platform {
class SettingsStore;
}

namespace app {

// The program's entry: refuses a second copy, seeds the random generator,
// runs the update reminder, shows the main window and picks its offer.
void StartApplication();

// Asks whether to look for an update when the stored reminder date lies more
// than 14 days before or after today, and records today when it asks (or on
// the very first start, when it does not).
void ShowUpdateReminder(platform::SettingsStore &store, const QDate &today);

} // namespace app
