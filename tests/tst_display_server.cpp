// The platform plugin chosen for the session the program starts in.

#include "platform/display_server.h"

#include <QTest>

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
};

QTEST_GUILESS_MAIN(TestDisplayServer)
#include "tst_display_server.moc"
