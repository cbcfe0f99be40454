// Web links: every label and menu entry that opens a page, and the About window.

#include "app/window_registry.h"
#include "links/link_commands.h"
#include "links/web_hosts.h"
#include "support/test_support.h"
#include "windows/about_window.h"
#include "windows/exit_window.h"
#include "windows/form_label.h"
#include "windows/main_window.h"
#include "windows/result_window.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace testsupport;

namespace {
QString site(const char *host, const char *path = "")
{
    return QStringLiteral("http://") + QLatin1String(host) + QLatin1String(path);
}

const QString homePage = site(webhosts::forumSite);
const QString catalogue = site(webhosts::forumSite, "/ondrelsoftwares");
const QString donate = site(webhosts::helpSite, "/donate.html");
const QString onlineHelp = site(webhosts::productSite, "/thymara-help.html");
const QString coBrand = site(webhosts::helpSite, "/co-brand.html");
const QString fullyBranded = site(webhosts::helpSite, "/fully-branded.html");
const QString download = site(webhosts::productSite, "/download-thymara.html");

// Clicks where the named control lies, as a person would: the control in
// front at that spot takes the click.
void clickAt(QWidget *window, const QString &name)
{
    auto *target = window->findChild<QWidget *>(name);
    QVERIFY2(target, qPrintable(name));
    const QPoint centre = target->mapTo(window, target->rect().center());
    QWidget *front = window->childAt(centre);
    QVERIFY(front);
    QTest::mouseClick(front, Qt::LeftButton, {}, front->mapFrom(window, centre));
}

// Opens the About window from the given menu action, runs body while it is
// up (modal), then makes sure it is gone. Bounded: the window is closed even
// when body does not close it.
void withAbout(QAction *aboutEntry, const std::function<void(QDialog *)> &body)
{
    bool ran = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *about = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!about || ran)
            return;
        ran = true;
        QPointer<QDialog> guard(about);
        body(about);
        if (guard)
            guard->reject();
    });
    poll.start();
    QTimer::singleShot(5000, [&] {
        if (auto *about = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            about->reject();
    });
    aboutEntry->trigger(); // returns once the modal window has closed
    QVERIFY(ran);
}
} // namespace

class TestLinks : public QObject
{
    Q_OBJECT

private:
    MessageRecorder *m_messages = nullptr;
    ExitRecorder *m_exits = nullptr;
    UrlRecorder *m_urls = nullptr;

    windows::MainWindow *mainWindow()
    {
        windows::MainWindow *main = app::frmMain();
        showAndActivate(main);
        return main;
    }

    windows::ResultWindow *resultWindow(bool herbMode = false)
    {
        windows::MainWindow *main = mainWindow();
        if (herbMode)
            main->Option1()->click();
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
        // A link never shows a message.
        QVERIFY(m_messages->shown.isEmpty());
        delete m_urls;
        delete m_exits;
        delete m_messages;
    }

    void everyBindingOpensItsAddress_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("address");

        QTest::newRow("main banner") << "main" << "Label61" << homePage;
        QTest::newRow("main co-brand offer") << "main" << "lblCobrand" << coBrand;
        QTest::newRow("main fully-branded offer") << "main" << "lblFullBrand" << fullyBranded;
        QTest::newRow("main Online Help") << "main" << "menu:mnuOnline" << onlineHelp;
        QTest::newRow("main Visit Us Online") << "main" << "menu:mnuVisit" << homePage;
        QTest::newRow("main Check for Update") << "main" << "menu:mnuUpdate" << download;
        QTest::newRow("main Donate") << "main" << "menu:mnuDonate" << donate;
        QTest::newRow("result banner") << "result" << "Label61" << homePage;
        // The co-branding offer lies in front of the fully-branded one here,
        // so a click on the strip always opens the co-branding page.
        QTest::newRow("result offer strip") << "result" << "lblFullBrand" << coBrand;
        QTest::newRow("result Ailment Name heading") << "result" << "Label1" << fullyBranded;
        QTest::newRow("result Online Help") << "result" << "menu:mnuOnline" << onlineHelp;
        QTest::newRow("result Visit Us Online") << "result" << "menu:mnuVisit" << homePage;
        QTest::newRow("result Check for Update") << "result" << "menu:mnuUpdate" << download;
        QTest::newRow("result Donate") << "result" << "menu:mnuDonate" << donate;
        QTest::newRow("about home page") << "about" << "lblHomePage" << homePage;
        // Despite its name it opens the fully-branded page.
        QTest::newRow("about more details") << "about" << "lblCoBrand" << fullyBranded;
        QTest::newRow("exit window Check1") << "exit" << "Check1" << homePage;
        QTest::newRow("exit window catalogue link") << "exit" << "lblGoToHome" << catalogue;
    }

    void everyBindingOpensItsAddress()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QString, address);

        auto activate = [&](QWidget *w) {
            if (control.startsWith(QLatin1String("menu:"))) {
                auto *form = static_cast<windows::FormWindow *>(w);
                form->menuAction(control.mid(5).toLatin1().constData())->trigger();
            } else {
                clickAt(w, control);
            }
        };

        if (window == QLatin1String("main")) {
            windows::MainWindow *main = mainWindow();
            // Whichever offer the rotation put in front is the one clicked.
            if (QWidget *offer = main->findChild<QWidget *>(control))
                offer->raise();
            activate(main);
        } else if (window == QLatin1String("result")) {
            activate(resultWindow());
        } else if (window == QLatin1String("exit")) {
            windows::ExitWindow *exitWindow = app::frmNagScreen2();
            showAndActivate(exitWindow);
            activate(exitWindow);
        } else {
            withAbout(mainWindow()->menuAction("mnuAbout"), [&](QDialog *about) {
                clickAt(about, control);
                // The link leaves the About window open.
                QCOMPARE(QApplication::activeModalWidget(), about);
            });
        }
        QCOMPARE(m_urls->opened, QStringList{address});
    }

    void repeatedClicksOpenAgain()
    {
        windows::MainWindow *main = mainWindow();
        clickAt(main, QStringLiteral("Label61"));
        clickAt(main, QStringLiteral("Label61"));
        QCOMPARE(m_urls->opened, (QStringList{homePage, homePage}));
        // A link changes nothing in the window.
        QCOMPARE(visibleWindows(), QStringList{QStringLiteral("frmMain")});
    }

    void onlyTheAilmentHeadingIsALink()
    {
        windows::ResultWindow *display = resultWindow(true);
        // The herb frame is in front: the same heading text there does nothing,
        // and neither do the values.
        clickAt(display, QStringLiteral("Label1"));
        clickAt(display, QStringLiteral("lblHerbNameHer"));
        clickAt(display, QStringLiteral("lblPaganHerbalRemedyHer"));
        QVERIFY(m_urls->opened.isEmpty());
    }

    void disabledMoneyEntryOpensNothing()
    {
        for (QWidget *w : {static_cast<QWidget *>(mainWindow()), static_cast<QWidget *>(resultWindow())}) {
            QAction *entry = static_cast<windows::FormWindow *>(w)->menuAction("mkmoney");
            QVERIFY(!entry->isEnabled());
            entry->trigger();
        }
        QVERIFY(m_urls->opened.isEmpty());
    }

    void noBrowserChangesNothing()
    {
        // Without any handler the desktop has no browser to offer: the click
        // must pass quietly.
        delete m_urls;
        m_urls = nullptr;
        windows::MainWindow *main = mainWindow();
        clickAt(main, QStringLiteral("Label61"));
        main->menuAction("mnuDonate")->trigger();
        QCOMPARE(visibleWindows(), QStringList{QStringLiteral("frmMain")});
        QVERIFY(main->isActiveWindow());
        m_urls = new UrlRecorder;
    }

    void aboutIsModalFreshAndClosesOnEnterAndEsc_data()
    {
        QTest::addColumn<QString>("opener");
        QTest::addColumn<int>("key");
        QTest::newRow("main, Enter") << "main" << int(Qt::Key_Return);
        QTest::newRow("main, Esc") << "main" << int(Qt::Key_Escape);
        QTest::newRow("result, Enter") << "result" << int(Qt::Key_Enter);
        QTest::newRow("result, Esc") << "result" << int(Qt::Key_Escape);
    }

    void aboutIsModalFreshAndClosesOnEnterAndEsc()
    {
        QFETCH(QString, opener);
        QFETCH(int, key);
        windows::FormWindow *window = opener == QLatin1String("main")
                                          ? static_cast<windows::FormWindow *>(mainWindow())
                                          : resultWindow();

        QPointer<QDialog> first;
        for (int round = 0; round < 2; ++round) {
            bool closedByKey = false;
            withAbout(window->menuAction("mnuAbout"), [&](QDialog *about) {
                if (round == 0)
                    first = about;
                else
                    QVERIFY(first.isNull()); // the first one was destroyed
                QCOMPARE(about->objectName(), QStringLiteral("frmAbout"));
                QCOMPARE(about->windowTitle(), QStringLiteral("Thymara v1.0"));
                QVERIFY(about->isModal());
                QVERIFY(QTest::qWaitForWindowActive(about, 5000));
                QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdOK"));
                QCOMPARE(about->findChild<QLabel *>(QStringLiteral("lblHomePage"))->text(),
                         QStringLiteral("Click here to visit ") + homePage);
                QVERIFY(!about->findChild<QLabel *>(QStringLiteral("picIcon"))->pixmap().isNull());
                // Picture box next in the tab order; Enter and Esc still close.
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("picIcon"));
                QPointer<QDialog> guard(about);
                QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
                closedByKey = guard.isNull() || !guard->isVisible();
            });
            QVERIFY(closedByKey);
            // Back to the window that opened it.
            QTRY_COMPARE(QApplication::activeWindow(), window);
        }
        QVERIFY(m_urls->opened.isEmpty());
    }

    void homeAddressHasNoTrailingSlash()
    {
        QVERIFY(!modHelp::homePageAddress().endsWith(QLatin1Char('/')));
        QCOMPARE(modHelp::homePageAddress(), homePage);
    }
};

QTEST_MAIN(TestLinks)
#include "tst_links.moc"
