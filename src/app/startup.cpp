#include "app/startup.h"

#include "app/cobrand.h"
#include "app/shutdown.h"
#include "common/random.h"
#include "links/link_commands.h"
#include "platform/font_warmup.h"
#include "platform/instance_lock.h"
#include "platform/message_box.h"
#include "platform/settings_store.h"
#include "windows/main_window.h"
#include "windows/window_registry.h"

namespace app {
namespace {
const QString section = QStringLiteral("Settings");
const QString entry = QStringLiteral("Duration");
constexpr qint64 reminderDays = 14;
} // namespace

void ShowUpdateReminder(platform::SettingsStore &store, const QDate &today)
{
    const std::optional<QString> read = store.read(section, entry);
    if (!read)
        return; // unreadable settings are left as they are, like a value that is no date
    const QString stored = *read;
    const QString todayText = today.toString(Qt::ISODate);
    if (stored.isEmpty()) {
        store.write(section, entry, todayText);
        return;
    }

    const QDate last = QDate::fromString(stored, Qt::ISODate);
    if (!last.isValid())
        return; // not a date: leave it alone and ask nothing

    const qint64 days = today.daysTo(last);
    if (days >= -reminderDays && days <= reminderDays)
        return;

    const auto answer =
        platform::showMessage(QStringLiteral("There maybe an update to this software available\r"
                                             "Do you want to check for an update?"),
                              platform::MessageIcon::Information, platform::MessageButtons::YesNo);

    // A date that cannot be stored only brings the question back at the next
    // start; the page the user asked for opens all the same.
    store.write(section, entry, todayText);
    if (answer == platform::MessageAnswer::Yes)
        modHelp::OpenDownloadPage();
}

void StartApplication()
{
    if (!platform::acquireInstanceLock()) {
        platform::showMessage(QStringLiteral("Application is already running"),
                              platform::MessageIcon::Information);
        EndApplication();
        return;
    }

    common::seedRandomFromClock();

    platform::NativeSettingsStore store;
    ShowUpdateReminder(store, QDate::currentDate());

    platform::finishFontWarmUp(); // the main window measures its text as it is built
    windows::frmMain()->show();

    CoBrand_Randomize();
}

} // namespace app
