#include "app/shutdown.h"

#include "platform/instance_lock.h"
#include "platform/process_exit.h"
#include "windows/window_registry.h"

#include <QPointer>
#include <QWidget>

namespace app {
namespace {
bool ending = false;
} // namespace

void EndApplication()
{
    if (ending)
        return;
    ending = true;

    for (QWidget *window : windows::existingWindows()) {
        QPointer<QWidget> guard(window);
        try {
            if (guard)
                guard->close();
        } catch (...) {
            // One window failing to close must not keep the others, or the
            // process, alive.
        }
    }

    platform::releaseInstanceLock();
    platform::endProcess(0);
    // Only a test's exit handler gets here; leave things as they were so the
    // next test can end the "process" again.
    ending = false;
}

} // namespace app
