#pragma once

#include <QList>

class QWidget;

namespace windows {

class MainWindow;
class ResultWindow;
class ExitWindow;

// Each kind of window exists at most once. These hand it out, creating it on
// first use (which runs its load handling) and forgetting it as soon as it
// closes, so the next use builds a fresh one from its layout.
MainWindow *frmMain();
ResultWindow *frmDisplay();
ExitWindow *frmNagScreen2();

// The same, without creating: null when the window does not exist.
MainWindow *existingMain();
ResultWindow *existingDisplay();
ExitWindow *existingNagScreen();

// Every window that exists now, shown or hidden.
QList<QWidget *> existingWindows();

// Ending the program belongs to the application shell above the windows: it
// hands its routine in here once, and the exit window calls endApplication().
using EndRoutine = void (*)();
void setEndApplication(EndRoutine routine);
void endApplication();

} // namespace windows
