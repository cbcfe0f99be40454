// Leaving the program: close handling of the main and result windows, the
// exit window, and EndApplication.

#include "app/shutdown.h"
#include "app/window_registry.h"
#include "support/test_support.h"
#include "windows/exit_window.h"
#include "windows/form_label.h"
#include "windows/main_window.h"
#include "windows/multiline_text_box.h"
#include "windows/result_window.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace testsupport;
using windows::ExitWindow;

namespace {
int exitWindowCount()
{
    int count = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<ExitWindow *>(w) && !static_cast<ExitWindow *>(w)->isClosed())
            ++count;
    return count;
}
} // namespace

class TestShutdown : public QObject
{
    Q_OBJECT

private:
    MessageRecorder *m_messages = nullptr;
    ExitRecorder *m_exits = nullptr;
    UrlRecorder *m_urls = nullptr;

    windows::ResultWindow *openResult()
    {
        windows::MainWindow *main = app::frmMain();
        showAndActivate(main);
        main->cmdNext()->click();
        windows::ResultWindow *display = app::existingDisplay();
        showAndActivate(display);
        return display;
    }

private Q_SLOTS:
    void initTestCase() { initialiseForTests(); }

    void init()
    {
        m_messages = new MessageRecorder;
        m_exits = new ExitRecorder;
        m_urls = new UrlRecorder;
    }

    void cleanup()
    {
        QVERIFY(closeEverything());
        QVERIFY(m_messages->shown.isEmpty());
        delete m_urls;
        delete m_exits;
        delete m_messages;
    }

    void closingMainShowsExitWindow_data()
    {
        QTest::addColumn<bool>("viaMenu");
        QTest::newRow("title-bar close") << false;
        QTest::newRow("File > Exit") << true;
    }

    void closingMainShowsExitWindow()
    {
        QFETCH(bool, viaMenu);
        QPointer<windows::MainWindow> main = app::frmMain();
        QVERIFY(showAndActivate(main));
        if (viaMenu)
            main->menuAction("mnuExit")->trigger();
        else
            main->close();

        QTRY_VERIFY(main.isNull());
        QCOMPARE(visibleWindows(), QStringList{QStringLiteral("frmNagScreen2")});
        QCOMPARE(existingWindows(), QStringList{QStringLiteral("frmNagScreen2")});
        QVERIFY(m_exits->statuses.isEmpty()); // nothing ends until the exit window closes
    }

    void closingResultShowsExitWindow_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Exit button") << "button";
        QTest::newRow("File > Exit") << "menu";
        QTest::newRow("Esc") << "esc";
        QTest::newRow("Enter") << "enter";
        QTest::newRow("Alt+E") << "alt";
        QTest::newRow("title-bar close") << "close";
    }

    void closingResultShowsExitWindow()
    {
        QFETCH(QString, how);
        QPointer<windows::ResultWindow> display = openResult();
        QPointer<windows::MainWindow> main = app::existingMain();

        if (how == QLatin1String("button"))
            QTest::mouseClick(display->cmdExit(), Qt::LeftButton);
        else if (how == QLatin1String("menu"))
            display->menuAction("mnuExit")->trigger();
        else if (how == QLatin1String("esc"))
            QTest::keyClick(display->cmdBack(), Qt::Key_Escape); // even with Back focused
        else if (how == QLatin1String("enter"))
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        else if (how == QLatin1String("alt"))
            QTest::keyClick(display, Qt::Key_E, Qt::AltModifier);
        else
            display->close();

        QTRY_VERIFY(display.isNull());
        QCOMPARE(visibleWindows(), QStringList{QStringLiteral("frmNagScreen2")});
        // The main window stays, hidden, with its state.
        QVERIFY(main && !main->isClosed() && !main->isVisible());
        QCOMPARE(exitWindowCount(), 1);
        QVERIFY(m_exits->statuses.isEmpty());
    }

    void afterBackTheExistingExitWindowIsShown()
    {
        windows::ResultWindow *display = openResult();
        display->cmdBack()->click();
        QPointer<ExitWindow> hidden = app::existingNagScreen();
        QVERIFY(hidden && !hidden->isVisible());
        const QString chosenText = hidden->Label2()->text();

        app::existingMain()->close();
        QCOMPARE(app::existingNagScreen(), hidden.data());
        QVERIFY(hidden->isVisible());
        QCOMPARE(exitWindowCount(), 1);
        // Not loaded again: the text chosen at load stays for the run.
        QCOMPARE(hidden->Label2()->text(), chosenText);
    }

    void closingExitWindowEndsProgram_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Exit button") << "button";
        QTest::newRow("Enter on the focused Exit button") << "enter";
        QTest::newRow("Alt+X") << "alt";
        QTest::newRow("close box, Alt+F4, system menu") << "close";
    }

    void closingExitWindowEndsProgram()
    {
        QFETCH(QString, how);
        // The main window still exists, hidden, behind the exit window.
        windows::ResultWindow *display = openResult();
        QPointer<windows::MainWindow> main = app::existingMain();
        display->cmdExit()->click();
        QPointer<ExitWindow> exitWindow = app::existingNagScreen();
        QVERIFY(showAndActivate(exitWindow));
        QCOMPARE(QApplication::focusWidget(), exitWindow->cmdClose());

        if (how == QLatin1String("button"))
            QTest::mouseClick(exitWindow->cmdClose(), Qt::LeftButton);
        else if (how == QLatin1String("enter"))
            QTest::keyClick(exitWindow->cmdClose(), Qt::Key_Return);
        else if (how == QLatin1String("alt"))
            QTest::keyClick(exitWindow, Qt::Key_X, Qt::AltModifier);
        else
            exitWindow->close();

        // Exactly one end of the process, with status 0, however deeply the
        // close handlers called back into it.
        QTRY_COMPARE(m_exits->statuses, QList<int>{0});
        // Every window that existed is closed, the hidden main window included.
        QTRY_VERIFY(exitWindow.isNull());
        QTRY_VERIFY(main.isNull());
    }

    void endApplicationWithoutWindowsEndsOnce()
    {
        modHelp::EndApplication();
        QCOMPARE(m_exits->statuses, QList<int>{0});
    }

    void endApplicationClosesHiddenWindowsToo()
    {
        openResult(); // main hidden, exit window hidden, result shown
        QCOMPARE(existingWindows(), (QStringList{"frmDisplay", "frmMain", "frmNagScreen2"}));
        modHelp::EndApplication();
        QCOMPARE(m_exits->statuses, QList<int>{0});
        QVERIFY(app::existingWindows().isEmpty());
    }

    void exitWindowLoad()
    {
        // Made hidden by Next: topmost before it is ever shown, not on screen.
        openResult();
        ExitWindow *exitWindow = app::existingNagScreen();
        QVERIFY(exitWindow->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!exitWindow->isVisible());
        QVERIFY(exitWindow->Label2()->text() == ExitWindow::supportText(0) ||
                exitWindow->Label2()->text() == ExitWindow::supportText(1) ||
                exitWindow->Label2()->text() == ExitWindow::supportText(2) ||
                exitWindow->Label2()->text() == ExitWindow::supportText(3));
        QCOMPARE(exitWindow->windowTitle(), QStringLiteral("Thymara v1.0"));

        // The catalogue text: two paragraphs kept apart by 61 blanks, one at the end.
        const QString text = exitWindow->findChild<QLabel *>(QStringLiteral("Label3"))->text();
        QCOMPARE(text.size(), 615);
        QVERIFY(text.startsWith(QLatin1String("If you have enjoyed this software you will surely "
                                              "be interested in our other Ondrel Softwares.")));
        QVERIFY(text.contains(QString(61, QLatin1Char(' '))));
        QVERIFY(!text.contains(QString(62, QLatin1Char(' '))));
        QVERIFY(text.endsWith(QLatin1String(". ")));
        QVERIFY(!text.contains(QLatin1Char('\n')));

        // The message box lies below the frame's visible area.
        auto *frame = exitWindow->findChild<QGroupBox *>(QStringLiteral("Frame2"));
        QVERIFY(!frame->rect().intersects(exitWindow->txtMessage()->geometry()));
        QCOMPARE(exitWindow->txtMessage()->text(), QStringLiteral("Your Message\r\n"));
    }

    void supportTextsAreChosenEvenly()
    {
        // Each load seeds from the clock and draws; over many loads all four
        // texts come up, none of them wildly more often than the others.
        QList<int> counts(4, 0);
        for (int i = 0; i < 200; ++i) {
            ExitWindow window;
            window.load();
            for (int t = 0; t < 4; ++t)
                if (window.Label2()->text() == ExitWindow::supportText(t))
                    ++counts[t];
        }
        for (int t = 0; t < 4; ++t)
            QVERIFY2(counts[t] >= 20, qPrintable(QString::number(counts[t])));
    }

    void check1OpensHomeOncePerPress_data()
    {
        QTest::addColumn<bool>("keyboard");
        QTest::newRow("mouse") << false;
        QTest::newRow("space bar") << true;
    }

    void check1OpensHomeOncePerPress()
    {
        QFETCH(bool, keyboard);
        ExitWindow *exitWindow = app::frmNagScreen2();
        QVERIFY(showAndActivate(exitWindow));
        for (int press = 1; press <= 2; ++press) {
            if (keyboard) {
                exitWindow->Check1()->setFocus(Qt::TabFocusReason);
                QTest::keyClick(exitWindow->Check1(), Qt::Key_Space);
            } else {
                QTest::mouseClick(exitWindow->Check1(), Qt::LeftButton);
            }
            QCOMPARE(m_urls->opened.size(), press);
            QVERIFY(!exitWindow->Check1()->isChecked()); // released again at once
        }
        QVERIFY(exitWindow->isVisible());
    }

    void exitWindowTabOrder()
    {
        ExitWindow *exitWindow = app::frmNagScreen2();
        QVERIFY(showAndActivate(exitWindow));
        QStringList seen{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 8; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(seen, (QStringList{"cmdClose", "Check1", "txtName", "cmdSubmit", "txtEmail",
                                    "txtFriendEmail", "txtFriendName", "txtMessage", "cmdClose"}));
    }

    void realProcessEndsWithStatusZero()
    {
        if (!ProgramRun::available())
            QSKIP("the process tests need the thymara executable and the autopilot library");
        QTemporaryDir home;
        QElapsedTimer clock;
        clock.start();
        ProgramRun run(home.path(), "exit");
        QVERIFY2(run.waitForLine(QStringLiteral("SHOWN frmMain"), 15000), qPrintable(run.lines().join('\n')));
        QVERIFY(run.waitForLine(QStringLiteral("SHOWN frmNagScreen2"), 15000));
        QVERIFY(run.waitForLine(QStringLiteral("PRESS cmdClose"), 15000));
        QVERIFY(run.waitForExit(10000));
        QCOMPARE(run.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.process.exitCode(), 0);
        QVERIFY(clock.elapsed() < 25000);
        // Nothing but the designed windows came up: no message on the way.
        for (const QString &line : run.lines())
            QVERIFY2(!line.startsWith(QLatin1String("MESSAGE")), qPrintable(line));
    }
};

QTEST_MAIN(TestShutdown)
#include "tst_shutdown.moc"
