#pragma once

#include <QByteArray>

namespace platform {

// What the session offers, as the environment tells it before Qt starts.
struct DisplaySession
{
    QByteArray qpaPlatform;    // QT_QPA_PLATFORM: the user's own choice, if any
    QByteArray waylandDisplay; // WAYLAND_DISPLAY
    QByteArray sessionType;    // XDG_SESSION_TYPE
    QByteArray x11Display;     // DISPLAY: set by XWayland on a Wayland desktop
};

// The Qt platform plugin list for this session, empty to leave Qt's own
// choice. On Wayland the X11 plugin comes first when XWayland is there: the
// exit window's stay-on-top and the centring of windows have no Wayland
// request, so they only hold under X11. Without XWayland the program runs on
// Wayland itself rather than not at all.
QByteArray platformPluginsFor(const DisplaySession &session);

// Applies that choice to this process through QT_QPA_PLATFORM. Call it before
// the application object is made; a QT_QPA_PLATFORM the user set is never
// changed.
void choosePlatformPlugin();

// Whether any platform plugin in the list (as in QT_QPA_PLATFORM; empty: Qt's
// default, X11) can reach its display: the X server DISPLAY names, or the
// Wayland compositor's socket in runtimeDir. Plugins that need no display
// server (offscreen, a frame buffer) always can, and so can an X server on
// another host, which only Qt itself can judge without waiting on the network.
bool displayReachable(const QByteArray &plugins, const DisplaySession &session,
                      const QByteArray &runtimeDir);

// Before the application object is made, after choosePlatformPlugin(): when
// no display can be reached, says so in one line on standard error and
// returns false, instead of letting Qt abort the program.
bool checkDisplay(int argc, char **argv);

// Takes the choice back out of the environment once the application object
// exists, so that the browser and whatever else the program starts make their
// own.
void forgetPlatformChoice();

} // namespace platform
