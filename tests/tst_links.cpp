// Web links: every label and menu entry that opens a page, and the About window.

#include "links/web_hosts.h"
#include "support/test_support.h"
#include "windows/exit_window.h"
#include "windows/main_window.h"
#include "windows/result_window.h"
#include "windows/window_registry.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

using namespace testsupport;

namespace {
QString site(const char *host, const char *path = "")
{
    return QStringLiteral("http://") + QLatin1String(host) + QLatin1String(path);
}

const QString homePage = site(webhosts::forumSite);
const QString coBrand = site(webhosts::helpSite, "/co-brand.html");
const QString fullyBranded = site(webhosts::helpSite, "/fully-branded.html");

// Clicks where the named control lies, as a person would: the control in
// front at that spot takes the click.
void clickAt(QWidget *window, const QString &name)
{
    auto *target = window->findChild<QWidget *>(name);
    QVERIFY2(target, qPrintable(name));
    const QPoint centre = target->mapTo(window, target->rect().center());
    QWidget *front = window->childAt(centre);
    QTest::mouseClick(front, Qt::LeftButton, {}, front->mapFrom(window, centre));
}

windows::FormWindow *open(const QString &which)
{
    if (which == QLatin1String("main"))
        return openMain();
    if (which == QLatin1String("exit")) {
        openMain();
        showAndActivate(windows::frmNagScreen2());
        return windows::existingNagScreen();
    }
    return openResult(which == QLatin1String("result, herb mode"));
}
} // namespace

class TestLinks : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:

    void everyBindingOpensItsAddress_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control"); // "menu:" names a menu entry
        QTest::addColumn<QString>("address"); // empty: nothing may open

        const QString onlineHelp = site(webhosts::productSite, "/thymara-help.html");
        const QString download = site(webhosts::productSite, "/download-thymara.html");
        const QString donate = site(webhosts::helpSite, "/donate.html");
        for (const char *window : {"main", "result"}) {
            const QString w = QLatin1String(window);
            QTest::addRow("%s banner", window) << w << "Label61" << homePage;
            QTest::addRow("%s Online Help", window) << w << "menu:mnuOnline" << onlineHelp;
            QTest::addRow("%s Visit Us Online", window) << w << "menu:mnuVisit" << homePage;
            QTest::addRow("%s Check for Update", window) << w << "menu:mnuUpdate" << download;
            QTest::addRow("%s Donate", window) << w << "menu:mnuDonate" << donate;
            QTest::addRow("%s Make Money, disabled", window) << w << "menu:mkmoney"
                                                             << "";
        }
        // The main window's rotation decides which offer is in front; the
        // test raises the one it clicks.
        QTest::newRow("main co-brand offer") << "main"
                                             << "lblCobrand" << coBrand;
        QTest::newRow("main fully-branded offer") << "main"
                                                  << "lblFullBrand" << fullyBranded;
        // On the result window the co-branding offer always lies in front.
        QTest::newRow("result offer strip") << "result"
                                            << "lblFullBrand" << coBrand;
        QTest::newRow("result Ailment Name heading") << "result"
                                                     << "Label1" << fullyBranded;
        QTest::newRow("herb frame: same heading text is no link") << "result, herb mode"
                                                                  << "Label1"
                                                                  << "";
        QTest::newRow("herb frame: values are no links") << "result, herb mode"
                                                         << "lblPaganHerbalRemedyHer"
                                                         << "";
        QTest::newRow("about home page") << "about"
                                         << "lblHomePage" << homePage;
        // Despite its name it opens the fully-branded page.
        QTest::newRow("about more details") << "about"
                                            << "lblCoBrand" << fullyBranded;
        QTest::newRow("exit window Check1") << "exit"
                                            << "Check1" << homePage;
        QTest::newRow("exit window catalogue link")
            << "exit"
            << "lblGoToHome" << site(webhosts::forumSite, "/ondrelsoftwares");
    }

    void everyBindingOpensItsAddress()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QString, address);

        if (window == QLatin1String("about")) {
            QVERIFY(withAbout(open(QStringLiteral("main"))->menuAction("mnuAbout"),
                              [&](QDialog *about) {
                                  clickAt(about, control);
                                  // the link leaves it open
                                  QCOMPARE(QApplication::activeModalWidget(), about);
                              }));
        } else if (control.startsWith(QLatin1String("menu:"))) {
            open(window)->menuAction(control.mid(5).toLatin1().constData())->trigger();
        } else {
            windows::FormWindow *w = open(window);
            if (window == QLatin1String("main"))
                w->findChild<QWidget *>(control)->raise();
            clickAt(w, control);
        }
        QCOMPARE(standIns().urls.opened, address.isEmpty() ? QStringList() : QStringList{address});
    }

    void repeatedClicksOpenAgainAndChangeNothing()
    {
        windows::FormWindow *main = open(QStringLiteral("main"));
        clickAt(main, QStringLiteral("Label61"));
        clickAt(main, QStringLiteral("Label61"));
        QCOMPARE(standIns().urls.opened, (QStringList{homePage, homePage}));
        QCOMPARE(visibleWindows(), QStringList{QStringLiteral("frmMain")});
    }

    void noBrowserChangesNothing()
    {
        // Without a handler the desktop has no browser to offer; the click
        // must pass quietly.
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        windows::FormWindow *main = open(QStringLiteral("main"));
        clickAt(main, QStringLiteral("Label61"));
        QCOMPARE(visibleWindows(), QStringList{QStringLiteral("frmMain")});
        QVERIFY(main->isActiveWindow());
    }

    // Every window has a fixed border: neither the user nor a resize request
    // changes its size.
    void windowsKeepTheirSize_data()
    {
        QTest::addColumn<QString>("which");
        for (const char *which : {"main", "result", "exit", "about"})
            QTest::newRow(which) << which;
    }
    void windowsKeepTheirSize()
    {
        QFETCH(QString, which);
        const auto check = [](QWidget *window) {
            const QSize size = window->size();
            QVERIFY(!size.isEmpty());
            QCOMPARE(window->minimumSize(), size);
            QCOMPARE(window->maximumSize(), size);
            window->resize(size + QSize(40, 30));
            QCOMPARE(window->size(), size);
        };
        if (which == QLatin1String("about"))
            withAbout(openMain()->menuAction("mnuAbout"), check);
        else
            check(open(which));
    }

    void aboutIsModalFreshAndClosesOnEnterAndEsc_data()
    {
        QTest::addColumn<QString>("opener");
        QTest::addColumn<int>("key");
        QTest::newRow("main, Enter") << "main" << int(Qt::Key_Return);
        QTest::newRow("result, Esc") << "result" << int(Qt::Key_Escape);
    }

    void aboutIsModalFreshAndClosesOnEnterAndEsc()
    {
        QFETCH(QString, opener);
        QFETCH(int, key);
        windows::FormWindow *window = open(opener);
        QPointer<QDialog> first;
        for (int round = 0; round < 2; ++round) {
            bool closedByKey = false;
            const bool opened = withAbout(window->menuAction("mnuAbout"), [&](QDialog *about) {
                if (round == 0)
                    first = about;
                else
                    QVERIFY(first.isNull()); // the first one was destroyed: this one is new
                QVERIFY(about->isModal() && QTest::qWaitForWindowActive(about, 5000));
                QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdOK"));
                QCOMPARE(about->findChild<QLabel *>(QStringLiteral("lblHomePage"))->text(),
                         QStringLiteral("Click here to visit ") + homePage);
                QVERIFY(!about->findChild<QLabel *>(QStringLiteral("picIcon"))->pixmap().isNull());
                // The picture box is next in the tab order; Enter and Esc still close.
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("picIcon"));
                QPointer<QDialog> guard(about);
                QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
                closedByKey = guard.isNull() || !guard->isVisible();
            });
            QVERIFY(opened && closedByKey);
            QTRY_COMPARE(QApplication::activeWindow(), window); // back to its opener
        }
    }
};

QTEST_MAIN(TestLinks)
#include "tst_links.moc"
