#include "windows/window_registry.h"

#include "windows/exit_window.h"
#include "windows/main_window.h"
#include "windows/result_window.h"

#include <QPointer>

namespace windows {
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

Slot<MainWindow> mainSlot;
Slot<ResultWindow> displaySlot;
Slot<ExitWindow> nagSlot;
EndRoutine endRoutine = nullptr;
} // namespace

MainWindow *frmMain()
{
    return mainSlot.get();
}

ResultWindow *frmDisplay()
{
    return displaySlot.get();
}

ExitWindow *frmNagScreen2()
{
    return nagSlot.get();
}

MainWindow *existingMain()
{
    return mainSlot.existing();
}

ResultWindow *existingDisplay()
{
    return displaySlot.existing();
}

ExitWindow *existingNagScreen()
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

void setEndApplication(EndRoutine routine)
{
    endRoutine = routine;
}

void endApplication()
{
    if (endRoutine)
        endRoutine();
}

} // namespace windows
