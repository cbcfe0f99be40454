#include "app/window_registry.h"

#include "windows/exit_window.h"
#include "windows/main_window.h"
#include "windows/result_window.h"

#include <QPointer>

namespace app {
namespace {
template <class Window> struct Slot
{
    QPointer<Window> window;

    Window *existing() const
    {
        // A closed window waits for deleteLater; to the program it is gone.
        return window && !window->isClosed() ? window.data() : nullptr;
    }

    Window *get()
    {
        if (Window *w = existing())
            return w;
        // Remember the window before its load handling runs, so that anything
        // the load touches finds this one instead of making a second.
        window = new Window;
        window->load();
        return window;
    }
};

Slot<windows::MainWindow> mainSlot;
Slot<windows::ResultWindow> displaySlot;
Slot<windows::ExitWindow> nagSlot;
} // namespace

windows::MainWindow *frmMain()
{
    return mainSlot.get();
}

windows::ResultWindow *frmDisplay()
{
    return displaySlot.get();
}

windows::ExitWindow *frmNagScreen2()
{
    return nagSlot.get();
}

windows::MainWindow *existingMain()
{
    return mainSlot.existing();
}

windows::ResultWindow *existingDisplay()
{
    return displaySlot.existing();
}

windows::ExitWindow *existingNagScreen()
{
    return nagSlot.existing();
}

QList<QWidget *> existingWindows()
{
    QList<QWidget *> all;
    if (auto *w = existingMain())
        all.append(w);
    if (auto *w = existingDisplay())
        all.append(w);
    if (auto *w = existingNagScreen())
        all.append(w);
    return all;
}

} // namespace app
