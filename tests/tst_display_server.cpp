// The platform plugin chosen for the session the program starts in.

#include "platform/display_server.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_LINUX
#include <cstddef>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>
#endif

using platform::DisplaySession;

class TestDisplayServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void choice_data()
    {
        QTest::addColumn<QByteArray>("qpaPlatform");
        QTest::addColumn<QByteArray>("waylandDisplay");
        QTest::addColumn<QByteArray>("sessionType");
        QTest::addColumn<QByteArray>("x11Display");
        QTest::addColumn<QByteArray>("expected");

        // Empty expected: Qt's own choice stands.
        QTest::newRow("X11 session") << QByteArray() << QByteArray() << QByteArray("x11")
                                     << QByteArray(":0") << QByteArray();
        QTest::newRow("no session at all")
            << QByteArray() << QByteArray() << QByteArray() << QByteArray() << QByteArray();
        QTest::newRow("Wayland with XWayland")
            << QByteArray() << QByteArray("wayland-0") << QByteArray("wayland") << QByteArray(":0")
            << QByteArray("xcb;wayland");
        QTest::newRow("Wayland socket without a session type")
            << QByteArray() << QByteArray("wayland-1") << QByteArray() << QByteArray(":1")
            << QByteArray("xcb;wayland");
        QTest::newRow("Wayland-only")
            << QByteArray() << QByteArray("wayland-0") << QByteArray("wayland") << QByteArray()
            << QByteArray("wayland");
        QTest::newRow("Wayland session type, default socket")
            << QByteArray() << QByteArray() << QByteArray("wayland") << QByteArray()
            << QByteArray("wayland");
        QTest::newRow("user asked for Wayland")
            << QByteArray("wayland") << QByteArray("wayland-0") << QByteArray("wayland")
            << QByteArray(":0") << QByteArray();
        QTest::newRow("user asked for offscreen")
            << QByteArray("offscreen") << QByteArray("wayland-0") << QByteArray() << QByteArray()
            << QByteArray();
    }
    void choice()
    {
        QFETCH(QByteArray, qpaPlatform);
        QFETCH(QByteArray, waylandDisplay);
        QFETCH(QByteArray, sessionType);
        QFETCH(QByteArray, x11Display);
        QFETCH(QByteArray, expected);
        const DisplaySession session{qpaPlatform, waylandDisplay, sessionType, x11Display};
        QCOMPARE(platform::platformPluginsFor(session), expected);
    }

    // The browser the program starts inherits its environment: the choice
    // must not leak into it, and the user's own setting must survive.
    void environment()
    {
        const QByteArray saved[] = {qgetenv("QT_QPA_PLATFORM"), qgetenv("WAYLAND_DISPLAY"),
                                    qgetenv("DISPLAY")};
        qunsetenv("QT_QPA_PLATFORM");
        qputenv("WAYLAND_DISPLAY", "wayland-0");
        qputenv("DISPLAY", ":0");
        platform::choosePlatformPlugin();
        QCOMPARE(qgetenv("QT_QPA_PLATFORM"), QByteArray("xcb;wayland"));
        platform::forgetPlatformChoice();
        QVERIFY(!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"));

        qputenv("QT_QPA_PLATFORM", "wayland");
        platform::choosePlatformPlugin();
        platform::forgetPlatformChoice();
        QCOMPARE(qgetenv("QT_QPA_PLATFORM"), QByteArray("wayland"));

        const char *names[] = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY"};
        for (int i = 0; i < 3; ++i) {
            if (saved[i].isNull())
                qunsetenv(names[i]);
            else
                qputenv(names[i], saved[i]);
        }
    }

    // Whether the program finds a display to show its windows on, before Qt would abort
    // for want of one. A server here is a socket that takes calls, as X and Wayland
    // servers are; only what the chosen plugins need counts.
    void reachable_data()
    {
        QTest::addColumn<QByteArray>("plugins");
        QTest::addColumn<QByteArray>("x11Display");     // ":x" stands for the X server here
        QTest::addColumn<QByteArray>("waylandDisplay"); // "wayland-here" is served
        QTest::addColumn<bool>("runtimeDir");           // XDG_RUNTIME_DIR holds the sockets
        QTest::addColumn<bool>("expected");
        const QByteArray none;
        QTest::newRow("X11 server there") << none << QByteArray(":x") << none << true << true;
        QTest::newRow("X11 server there, a screen named")
            << none << QByteArray(":x.0") << none << true << true;
        QTest::newRow("no X11 server on that display")
            << none << QByteArray(":x1") << none << true << false;
        QTest::newRow("nothing named") << none << none << none << true << false;
        QTest::newRow("not a display name")
            << none << QByteArray("nonsense") << none << true << false;
        QTest::newRow("X11 asked for, only Wayland there")
            << QByteArray("xcb") << none << QByteArray("wayland-here") << true << false;
        QTest::newRow("Wayland there")
            << QByteArray("wayland") << none << QByteArray("wayland-here") << true << true;
        QTest::newRow("Wayland named, not there")
            << QByteArray("wayland") << none << QByteArray("wayland-gone") << true << false;
        QTest::newRow("Wayland there, but no runtime folder known")
            << QByteArray("wayland") << none << QByteArray("wayland-here") << false << false;
        QTest::newRow("XWayland gone, Wayland there")
            << QByteArray("xcb;wayland") << QByteArray(":x1") << QByteArray("wayland-here") << true
            << true;
        QTest::newRow("neither there") << QByteArray("xcb;wayland") << QByteArray(":x1")
                                       << QByteArray("wayland-gone") << true << false;
        // Plugins that need no server, and a server that only Qt can judge.
        QTest::newRow("offscreen") << QByteArray("offscreen") << none << none << false << true;
        QTest::newRow("a frame buffer with options")
            << QByteArray("linuxfb:fb=/dev/fb0") << none << none << false << true;
        // ssh forwards a display to a port on this machine's loopback.
        QTest::newRow("a forwarded display there")
            << none << QByteArray("localhost:t.0") << none << true << true;
        QTest::newRow("a forwarded display gone")
            << none << QByteArray("localhost:t1.0") << none << true << false;
        QTest::newRow("an X server on another host")
            << none << QByteArray("remote.example:0") << none << true << true;
    }
    void reachable()
    {
#ifndef Q_OS_LINUX
        QSKIP("X11 and Wayland are looked for on Linux");
#else
        QFETCH(QByteArray, plugins);
        QFETCH(QByteArray, x11Display);
        QFETCH(QByteArray, waylandDisplay);
        QFETCH(bool, runtimeDir);
        QFETCH(bool, expected);
        QTemporaryDir runtime;
        std::vector<int> servers;
        const auto serve = [&](const QByteArray &name) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
            const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + size_t(name.size()));
            servers.push_back(fd);
            return ::bind(fd, reinterpret_cast<sockaddr *>(&address), length) == 0 &&
                   ::listen(fd, 4) == 0;
        };
        // The first display number nobody serves, served here in the abstract namespace,
        // and the one after it left free.
        int display = 400;
        while (!serve(QByteArray(1, '\0') + "/tmp/.X11-unix/X" + QByteArray::number(display)))
            ++display;
        // Likewise a forwarded display on the loopback, and a free one after it.
        const auto listenOn = [&](int port) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_port = htons(quint16(port));
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            servers.push_back(fd);
            return ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
                   ::listen(fd, 4) == 0;
        };
        int forwarded = 500;
        while (!listenOn(6000 + forwarded) || !listenOn(6000 + forwarded + 1))
            forwarded += 2;
        ::close(servers.back()); // the one after it is free again
        servers.pop_back();
        x11Display.replace(":t1", ':' + QByteArray::number(forwarded + 1));
        x11Display.replace(":t", ':' + QByteArray::number(forwarded));
        x11Display.replace(":x1", ':' + QByteArray::number(display + 1));
        x11Display.replace(":x", ':' + QByteArray::number(display));
        QVERIFY(serve(QFile::encodeName(runtime.filePath(QStringLiteral("wayland-here")))));
        const platform::DisplaySession session{plugins, waylandDisplay, QByteArray(), x11Display};
        const QByteArray dir = runtimeDir ? QFile::encodeName(runtime.path()) : QByteArray("run");
        const bool reached = platform::displayReachable(plugins, session, dir);
        for (const int fd : servers)
            ::close(fd);
        QCOMPARE(reached, expected);
#endif
    }
};

QTEST_GUILESS_MAIN(TestDisplayServer)
#include "tst_display_server.moc"
