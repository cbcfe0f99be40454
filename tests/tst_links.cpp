// Web links: every label and menu entry that opens a page.

#include "support/test_support.h"
#include "support/web_pages.h"
#include "windows/exit_window.h"
#include "windows/main_window.h"
#include "windows/result_window.h"
#include "windows/window_registry.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

using namespace testsupport;

namespace {
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

} // namespace

class TestLinks : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:

    void everyBindingOpensItsAddress_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control"); // "menu:" names a menu entry
        QTest::addColumn<bool>("raise");      // brought in front before the click
        QTest::addColumn<QString>("address"); // empty: nothing may open

        // Each control, in front of whatever shares its spot (the main
        // window's rotation decides which offer lies in front).
        for (const Binding &b : everyBinding()) {
            const QString control =
                b.kind == Binding::MenuEntry ? QStringLiteral("menu:") + b.control : b.control;
            QTest::newRow(qPrintable(b.tag())) << b.window << control << true << b.address;
        }
        // Where controls overlap as the window opens, the click goes to the one in front.
        // On the result window the co-branding offer always lies in front.
        QTest::newRow("result offer strip") << "result"
                                            << "lblFullBrand" << false << pages::coBrand();
        // The herb frame lies over the ailment frame: its heading reads like
        // the ailment frame's link, but is none.
        QTest::newRow("herb frame heading") << "result, herb mode"
                                            << "Label1" << false << "";
        QTest::newRow("herb frame value") << "result, herb mode"
                                          << "lblPaganHerbalRemedyHer" << false << "";
    }

    void everyBindingOpensItsAddress()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(bool, raise);
        QFETCH(QString, address);

        if (window == QLatin1String("about")) {
            QVERIFY(withAbout(openWindow(QStringLiteral("main"))->menuAction("mnuAbout"),
                              [&](QDialog *about) {
                                  clickAt(about, control);
                                  // the link leaves it open
                                  QCOMPARE(QApplication::activeModalWidget(), about);
                              }));
        } else if (control.startsWith(QLatin1String("menu:"))) {
            openWindow(window)->menuAction(control.mid(5).toLatin1().constData())->trigger();
        } else {
            form::FormWindow *w = openWindow(window);
            if (raise)
                w->bringToFront(w->findChild<QWidget *>(control));
            clickAt(w, control);
        }
        QCOMPARE(standIns().urls.opened, address.isEmpty() ? QStringList() : QStringList{address});
    }

    void repeatedClicksOpenAgainAndChangeNothing()
    {
        form::FormWindow *main = openWindow(QStringLiteral("main"));
        clickAt(main, QStringLiteral("Label61"));
        clickAt(main, QStringLiteral("Label61"));
        QCOMPARE(standIns().urls.opened, (QStringList{pages::homePage(), pages::homePage()}));
        QCOMPARE(visibleWindows(), QStringList{QStringLiteral("frmMain")});
    }

    void noBrowserChangesNothing()
    {
        // Without a handler the desktop has no browser to offer; the click
        // must pass quietly.
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        form::FormWindow *main = openWindow(QStringLiteral("main"));
        clickAt(main, QStringLiteral("Label61"));
        QCOMPARE(visibleWindows(), QStringList{QStringLiteral("frmMain")});
        QVERIFY(main->isActiveWindow());
    }
};

QTEST_MAIN(TestLinks)
#include "tst_links.moc"
