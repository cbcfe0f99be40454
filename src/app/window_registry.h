#pragma once

#include <QList>

class QWidget;

namespace windows {
class MainWindow;
class ResultWindow;
class ExitWindow;
} // namespace windows

namespace app {

// Each kind of window exists at most once. These hand it out, creating it on
// first use (which runs its load handling) and forgetting it as soon as it
// closes, so the next use builds a fresh one from its layout.
windows::MainWindow *frmMain();
windows::ResultWindow *frmDisplay();
windows::ExitWindow *frmNagScreen2();

// The same, without creating: null when the window does not exist.
windows::MainWindow *existingMain();
windows::ResultWindow *existingDisplay();
windows::ExitWindow *existingNagScreen();

// Every window that exists now, shown or hidden.
QList<QWidget *> existingWindows();

} // namespace app
