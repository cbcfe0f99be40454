// Leaving the program: close handling of the main and result windows, the
// exit window, and EndApplication.

#include "app/shutdown.h"
#include "forms/form_label.h"
#include "forms/multiline_text_box.h"
#include "support/test_support.h"
#include "windows/exit_window.h"
#include "windows/main_window.h"
#include "windows/result_window.h"
#include "windows/window_registry.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace testsupport;
using windows::ExitWindow;

namespace {
int exitWindowCount()
{
    int count = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *exitWindow = qobject_cast<ExitWindow *>(w); exitWindow && !exitWindow->isClosed())
            ++count;
    return count;
}
} // namespace

class TestShutdown : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:

    void closingShowsExitWindow_data()
    {
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("how");
        QTest::newRow("main, title-bar close") << false << "close";
        QTest::newRow("main, File > Exit") << false << "menu";
        QTest::newRow("result, title-bar close") << true << "close";
        QTest::newRow("result, File > Exit") << true << "menu";
        QTest::newRow("result, Exit button") << true << "button";
        QTest::newRow("result, Esc with Back focused") << true << "esc";
        QTest::newRow("result, Enter") << true << "enter";
        QTest::newRow("result, Alt+E") << true << "alt";
    }

    void closingShowsExitWindow()
    {
        QFETCH(bool, result);
        QFETCH(QString, how);
        QPointer<windows::MainWindow> main = openMain();
        QPointer<form::FormWindow> closing = main.data();
        if (result)
            closing = openResult();

        if (how == QLatin1String("close"))
            closing->close();
        else if (how == QLatin1String("menu"))
            closing->menuAction("mnuExit")->trigger();
        else if (how == QLatin1String("button"))
            QTest::mouseClick(closing->findChild<QPushButton *>(QStringLiteral("cmdExit")),
                              Qt::LeftButton);
        else if (how == QLatin1String("esc"))
            QTest::keyClick(closing->findChild<QPushButton *>(QStringLiteral("cmdBack")),
                            Qt::Key_Escape);
        else if (how == QLatin1String("enter"))
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        else
            QTest::keyClick(closing, Qt::Key_E, Qt::AltModifier);

        QTRY_VERIFY(closing.isNull());
        QCOMPARE(visibleWindows(), QStringList{QStringLiteral("frmNagScreen2")});
        QCOMPARE(exitWindowCount(), 1);
        // Closing the result window leaves the main window hidden, with its state.
        QCOMPARE(!main.isNull(), result);
        QVERIFY(standIns().exits.statuses.isEmpty()); // nothing ends until the exit window closes
    }

    void afterBackTheExistingExitWindowIsShown()
    {
        openResult()->cmdBack()->click();
        QPointer<ExitWindow> hidden = windows::existingNagScreen();
        QVERIFY(hidden && !hidden->isVisible());
        const QString chosenText = hidden->Label2()->text();

        windows::existingMain()->close();
        QVERIFY(hidden && hidden->isVisible());
        QCOMPARE(exitWindowCount(), 1);
        QCOMPARE(hidden->Label2()->text(), chosenText); // not loaded again
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
        openResult()->cmdExit()->click();
        QPointer<windows::MainWindow> main = windows::existingMain(); // hidden, still there
        QPointer<ExitWindow> exitWindow = windows::existingNagScreen();
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

        // One end of the process, status 0, however deeply close handlers
        // called back into it; every window that existed is closed.
        QTRY_COMPARE(standIns().exits.statuses, QList<int>{0});
        QTRY_VERIFY(exitWindow.isNull() && main.isNull());
    }

    void endApplicationEndsOnceWithOrWithoutWindows()
    {
        app::EndApplication();
        QCOMPARE(standIns().exits.statuses, QList<int>{0});
        openResult(); // main and exit window hidden, result shown
        app::EndApplication();
        QCOMPARE(standIns().exits.statuses, (QList<int>{0, 0}));
        QVERIFY(windows::existingWindows().isEmpty());
    }

    void exitWindowAsLoaded()
    {
        openResult();
        ExitWindow *exitWindow = windows::existingNagScreen();
        // Made at Next: topmost before it is ever shown, and not on screen.
        QVERIFY(exitWindow->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!exitWindow->isVisible());
        // The catalogue text: two paragraphs kept apart by 61 blanks, one at the end.
        const QString text = exitWindow->findChild<QLabel *>(QStringLiteral("Label3"))->text();
        QCOMPARE(text.size(), 615);
        QVERIFY(text.contains(QString(61, QLatin1Char(' '))) &&
                !text.contains(QString(62, QLatin1Char(' '))));
        QVERIFY(text.endsWith(QLatin1String(". ")));
        // The message box lies below the frame's visible area.
        auto *frame = exitWindow->findChild<QGroupBox *>(QStringLiteral("Frame2"));
        QVERIFY(!frame->rect().intersects(exitWindow->txtMessage()->geometry()));
        QCOMPARE(exitWindow->txtMessage()->text(), QStringLiteral("Your Message\r\n"));

        // Tab order: Exit first, the hidden message field reached by Tab.
        QVERIFY(showAndActivate(exitWindow));
        QStringList seen{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 8; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(seen, (QStringList{"cmdClose", "Check1", "txtName", "cmdSubmit", "txtEmail",
                                    "txtFriendEmail", "txtFriendName", "txtMessage", "cmdClose"}));
    }

    void supportTextsAreChosenEvenly()
    {
        // Each load seeds from the clock and draws once.
        QList<int> counts(4, 0);
        for (int i = 0; i < 200; ++i) {
            ExitWindow window;
            window.load();
            for (int t = 0; t < 4; ++t)
                counts[t] += window.Label2()->text() == ExitWindow::supportText(t);
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
        ExitWindow *exitWindow = windows::frmNagScreen2();
        QVERIFY(showAndActivate(exitWindow));
        for (int press = 1; press <= 2; ++press) {
            if (keyboard) {
                exitWindow->Check1()->setFocus(Qt::TabFocusReason);
                QTest::keyClick(exitWindow->Check1(), Qt::Key_Space);
            } else {
                QTest::mouseClick(exitWindow->Check1(), Qt::LeftButton);
            }
            QCOMPARE(standIns().urls.opened.size(), press);
            QVERIFY(!exitWindow->Check1()->isChecked()); // released again at once
        }
    }

    // The exit window stays above all others; a message it brings up must come
    // in front of it, or the user waits on a box nobody can see. A real box,
    // answered through the keyboard.
    void realMessageBoxComesAboveTheExitWindow()
    {
        openMain();
        ExitWindow *exitWindow = windows::frmNagScreen2();
        QVERIFY(showAndActivate(exitWindow));
        const platform::MessageHandler recorder = platform::setMessageHandler({});
        const auto restore = qScopeGuard([&] { platform::setMessageHandler(recorder); });
        QString seen;
        bool onTop = false;
        const ModalAnswerer answerer([&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            if (!box)
                return;
            seen = box->text();
            onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            QTest::keyClick(box, Qt::Key_Return);
        });
        exitWindow->cmdSubmit()->click(); // both addresses still show their prompts
        QCOMPARE(seen, QStringLiteral("Please Enter Proper Email Address"));
        QVERIFY(onTop);
    }

    void realProcessEndsWithStatusZero()
    {
        if (!ProgramRun::available())
            QSKIP("the scripted program is not built here");
        QTemporaryDir home;
        ProgramRun run(home.path(), "exit");
        for (const char *line : {"SHOWN frmMain", "SHOWN frmNagScreen2", "PRESS cmdClose"})
            QVERIFY2(run.waitForLine(QLatin1String(line), 15000),
                     qPrintable(run.lines().join('\n')));
        QVERIFY(run.waitForExit(10000));
        QCOMPARE(run.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.process.exitCode(), 0);
        for (const QString &line : run.lines())
            QVERIFY2(!line.startsWith(QLatin1String("MESSAGE")), qPrintable(line));
    }
};

QTEST_MAIN(TestShutdown)
#include "tst_shutdown.moc"
