// The windows as a user drives them: the main window's modes and lists, Next,
// the result window and Back, the About window, and every window's fixed size
// and place.

#include "catalogue/catalogue.h"
#include "forms/form_label.h"
#include "forms/form_window.h"
#include "support/test_support.h"
#include "support/web_pages.h"
#include "windows/exit_window.h"
#include "windows/main_window.h"
#include "windows/result_window.h"
#include "windows/window_registry.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRect>
#include <QScreen>
#include <QTest>
#include <memory>

using namespace testsupport;
using windows::MainWindow;
using windows::ResultWindow;

namespace {
// What is in front at the centre of the named control: what a click would hit.
QWidget *frontmostAt(QWidget *window, const char *name)
{
    auto *target = window->findChild<QWidget *>(QLatin1String(name));
    return window->childAt(target->mapTo(window, target->rect().center()));
}

QString visibleResultFrame(ResultWindow *display)
{
    for (QWidget *w = frontmostAt(display, "fraAilment"); w; w = w->parentWidget())
        if (w == display->fraAilment() || w == display->fraHerb())
            return w->objectName();
    return {};
}

void choose(QComboBox *list, const QString &name)
{
    const int index = list->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    QVERIFY2(index >= 0, qPrintable(name));
    list->setCurrentIndex(index);
}

void clickMode(MainWindow *main, bool herb)
{
    QTest::mouseClick(herb ? main->Option1() : main->optAilment(), Qt::LeftButton, {},
                      QPoint(8, 8));
}
} // namespace

class TestSearch : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:

    void startsInAilmentModeWithFirstEntries()
    {
        MainWindow *main = openMain();
        QVERIFY(main->optAilment()->isChecked() && !main->Option1()->isChecked());
        QVERIFY(main->cmbAilment()->isEnabled() && !main->cmbHerb()->isEnabled());
        QCOMPARE(main->cmbAilment()->currentText(), QStringLiteral("Toothache"));
        QCOMPARE(main->cmbHerb()->currentText(), QStringLiteral("Clove Oil"));
        QCOMPARE(QApplication::focusWidget(), main->cmbAilment());
        // Catalogue order, not sorted, nothing to type into.
        QStringList ailments;
        for (int i = 0; i < main->cmbAilment()->count(); ++i)
            ailments << main->cmbAilment()->itemText(i);
        QCOMPARE(ailments, catalogue::ailmentNames());
        QCOMPARE(main->cmbHerb()->itemText(26), QStringLiteral("Passion Flower"));
        QVERIFY(!main->cmbAilment()->isEditable());
        // As laid out, the fully-branded offer lies in front of the co-branding one.
        QCOMPARE(frontmostAt(main, "lblCobrand")->objectName(), QStringLiteral("lblFullBrand"));
    }

    void nextShowsChosenFrame_data()
    {
        QTest::addColumn<bool>("herbMode");
        QTest::addColumn<QString>("ailment");
        QTest::addColumn<QString>("herb");

        QTest::newRow("defaults") << false << "Toothache"
                                  << "Clove Oil";
        QTest::newRow("cough") << false << "Cough"
                               << "Clove Oil";
        QTest::newRow("evening primrose") << true << "Toothache"
                                          << "Evening Primrose";
        QTest::newRow("yarrow, four lines") << true << "Burns"
                                            << "Yarrow";
        QTest::newRow("cayenne") << true << "Poor Circulation"
                                 << "Cayenne";
        QTest::newRow("cayenne pepper") << true << "Acne"
                                        << "Cayenne Pepper";
        QTest::newRow("peppermint tea") << false << "Sinus Problems"
                                        << "Peppermint Tea";
        QTest::newRow("burns, longest text") << false << "Burns"
                                             << "Peppermint";
    }

    void nextShowsChosenFrame()
    {
        QFETCH(bool, herbMode);
        QFETCH(QString, ailment);
        QFETCH(QString, herb);

        MainWindow *main = openMain();
        clickMode(main, herbMode);
        choose(main->cmbAilment(), ailment);
        choose(main->cmbHerb(), herb);
        QTest::mouseClick(main->cmdNext(), Qt::LeftButton);

        ResultWindow *display = windows::existingDisplay();
        QVERIFY(display && display->isVisible() && !main->isVisible());
        QCOMPARE(visibleWindows(), QStringList{QStringLiteral("frmDisplay")});
        // The exit window was made at Next, and hidden.
        QCOMPARE(existingWindows(), (QStringList{"frmDisplay", "frmMain", "frmNagScreen2"}));
        QCOMPARE(visibleResultFrame(display), herbMode ? "fraHerb" : "fraAilment");

        // Both lookups always run: the frame behind is filled as well.
        const auto a = catalogue::lookupAilment(ailment);
        const auto h = catalogue::lookupHerb(herb);
        QCOMPARE(display->lblAilmentNameAil()->text(), ailment);
        QCOMPARE(display->lblHerbsAil()->text(), a->line);
        QCOMPARE(display->lblPaganHerbalRemedyAil()->text(), a->remedy);
        QCOMPARE(display->lblHerbNameHer()->text(), herb);
        QCOMPARE(display->lblAilmentNameHer()->text(), h->line);
        QCOMPARE(display->lblPaganHerbalRemedyHer()->text(), h->remedy);
        // Nothing is cut: one-line values follow their text, paragraphs fit their box.
        for (auto *value : {display->lblHerbsAil(), display->lblAilmentNameHer(),
                            display->lblAilmentNameAil(), display->lblHerbNameHer()})
            QVERIFY(value->width() >= value->sizeHint().width());
        for (auto *para :
             {display->lblPaganHerbalRemedyAil(), display->lblPaganHerbalRemedyHer()}) {
            QVERIFY(para->heightForWidth(para->width()) <= para->height());
            // In the window's plain font, not the bold one of the frame around it.
            QVERIFY(!para->font().bold() && para->font().pixelSize() == 11);
        }
        QTRY_COMPARE(QApplication::focusWidget(), display->cmdExit());
    }

    void modeSwitchKeepsSelections()
    {
        MainWindow *main = openMain();
        choose(main->cmbAilment(), QStringLiteral("Burns"));
        clickMode(main, true);
        QVERIFY(!main->cmbAilment()->isEnabled() && main->cmbHerb()->isEnabled());
        choose(main->cmbHerb(), QStringLiteral("Ginger"));
        clickMode(main, false);
        clickMode(main, false); // clicking the selected one changes nothing
        QVERIFY(main->cmbAilment()->isEnabled() && !main->cmbHerb()->isEnabled());
        QCOMPARE(main->cmbAilment()->currentText(), QStringLiteral("Burns"));
        QCOMPARE(main->cmbHerb()->currentText(), QStringLiteral("Ginger"));
    }

    void backRestoresMainAndDiscardsResult_data()
    {
        QTest::addColumn<bool>("viaMenu");
        QTest::newRow("Back button") << false;
        QTest::newRow("File > Back") << true;
    }

    void backRestoresMainAndDiscardsResult()
    {
        QFETCH(bool, viaMenu);
        MainWindow *main = openMain();
        clickMode(main, true);
        choose(main->cmbAilment(), QStringLiteral("Insomnia"));
        choose(main->cmbHerb(), QStringLiteral("Valerian"));
        QTest::mouseClick(main->cmdNext(), Qt::LeftButton);
        QPointer<ResultWindow> first = windows::existingDisplay();
        QPointer<windows::ExitWindow> exitWindow = windows::existingNagScreen();
        if (viaMenu)
            first->menuAction("mnuFileBack")->trigger();
        else
            QTest::mouseClick(first->cmdBack(), Qt::LeftButton);

        // Only the main window is on screen, as the user left it; the exit
        // window still exists (the same one), hidden, not closed.
        QTRY_COMPARE(visibleWindows(), QStringList{QStringLiteral("frmMain")});
        QVERIFY(main->Option1()->isChecked() && main->cmbHerb()->isEnabled());
        QCOMPARE(main->cmbAilment()->currentText(), QStringLiteral("Insomnia"));
        QCOMPARE(main->cmbHerb()->currentText(), QStringLiteral("Valerian"));
        QVERIFY(exitWindow && windows::existingNagScreen() == exitWindow);
        QVERIFY(!windows::existingDisplay());
        QTRY_VERIFY(first.isNull());
        QVERIFY(standIns().exits.statuses.isEmpty());

        // A fresh result window serves the next search; nothing of the last survives.
        clickMode(main, false);
        QTest::mouseClick(main->cmdNext(), Qt::LeftButton);
        QCOMPARE(visibleResultFrame(windows::existingDisplay()), QStringLiteral("fraAilment"));
        QCOMPARE(windows::existingDisplay()->lblHerbsAil()->text(),
                 QStringLiteral("Lemon, Valerian, Passion Flower"));
    }

    void lookupFindingNothingLeavesLabels()
    {
        // The lists only offer catalogue names; an odd entry stands in for any
        // text the catalogue does not know.
        MainWindow *main = openMain();
        main->cmbAilment()->addItem(QStringLiteral("toothache"));
        choose(main->cmbAilment(), QStringLiteral("toothache"));
        main->cmbHerb()->addItem(QStringLiteral("Cayenne "));
        choose(main->cmbHerb(), QStringLiteral("Cayenne "));
        main->cmdNext()->click();
        ResultWindow *display = windows::existingDisplay();
        QCOMPARE(display->lblAilmentNameAil()->text(), QStringLiteral("toothache"));
        QCOMPARE(display->lblHerbsAil()->text(), QStringLiteral("lblHerbsAil"));
        QCOMPARE(display->lblPaganHerbalRemedyHer()->text(),
                 QStringLiteral("lblPaganHerbalRemedyHer"));
    }

    void keyboardOnly_data()
    {
        QTest::addColumn<bool>("herbMode");
        QTest::addColumn<QStringList>("chain");
        // Disabled lists and the unselected option button are skipped.
        QTest::newRow("ailment mode")
            << false << QStringList{"cmbAilment", "optAilment", "cmdNext", "cmbAilment"};
        QTest::newRow("herb mode")
            << true << QStringList{"cmbHerb", "Option1", "cmdNext", "cmbHerb"};
    }

    void keyboardOnly()
    {
        QFETCH(bool, herbMode);
        QFETCH(QStringList, chain);
        MainWindow *main = openMain();
        if (herbMode) {
            clickMode(main, true);
            main->cmbHerb()->setFocus();
        }
        QStringList seen{QApplication::focusWidget()->objectName()};
        while (seen.size() < chain.size()) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(seen, chain);

        // Alt+N searches; in the result window Tab reaches Back, and Enter presses it.
        QTest::keyClick(main, Qt::Key_N, Qt::AltModifier);
        QTRY_VERIFY(windows::existingDisplay()); // an access key clicks after a short animation
        ResultWindow *display = windows::existingDisplay();
        QVERIFY(showAndActivate(display));
        QCOMPARE(QApplication::focusWidget(), display->cmdExit());
        QTest::keyClick(display->cmdExit(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), display->cmdBack());
        QTest::keyClick(display->cmdBack(), Qt::Key_Return);
        QTRY_COMPARE(visibleWindows(), QStringList{QStringLiteral("frmMain")});
    }

    // Every window has a fixed border: neither the user nor a resize request
    // changes its size. It opens centred on the screen's available area, and on a
    // screen narrower or lower than the window its title bar still starts inside that
    // area, so that its close button can be reached.
    void windowsKeepTheirSizeAndPlace_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QRect>("available"); // null: the screen it is shown on
        for (const char *which : {"main", "result", "exit", "about"}) {
            QTest::newRow(which) << which << QRect();
            QTest::addRow("%s, 640 x 480 screen", which) << which << QRect(0, 0, 640, 480);
            // 1280 x 800 at 200 %, less a panel at the top.
            QTest::addRow("%s, 1280 px screen at 200 %%", which) << which << QRect(0, 16, 640, 384);
            QTest::addRow("%s, narrow screen left of the first, panel on the left", which)
                << which << QRect(-600, 0, 600, 440).adjusted(24, 0, 0, 0);
        }
    }
    void windowsKeepTheirSizeAndPlace()
    {
        QFETCH(QString, which);
        QFETCH(QRect, available);
        const auto check = [&](QWidget *window) {
            const QSize size = window->size();
            QVERIFY(!size.isEmpty());
            QCOMPARE(window->minimumSize(), size);
            QCOMPARE(window->maximumSize(), size);
            window->resize(size + QSize(40, 30));
            QCOMPARE(window->size(), size);

            const QRect screen =
                available.isNull() ? window->screen()->availableGeometry() : available;
            const QRect frame =
                available.isNull()
                    ? window->frameGeometry()
                    : QRect(form::placementOn(available, window->frameGeometry().size()),
                            window->frameGeometry().size());
            const QString where = QStringLiteral("%1,%2 %3x%4 on %5,%6 %7x%8")
                                      .arg(frame.x())
                                      .arg(frame.y())
                                      .arg(frame.width())
                                      .arg(frame.height())
                                      .arg(screen.x())
                                      .arg(screen.y())
                                      .arg(screen.width())
                                      .arg(screen.height());
            QVERIFY2(frame.left() >= screen.left() && frame.top() >= screen.top(),
                     qPrintable(where));
            // Centred along each side it fits on, to a few pixels (the About window settles
            // its size a little after it is placed).
            if (frame.width() <= screen.width())
                QVERIFY2(qAbs(frame.center().x() - screen.center().x()) <= 3, qPrintable(where));
            if (frame.height() <= screen.height())
                QVERIFY2(qAbs(frame.center().y() - screen.center().y()) <= 3, qPrintable(where));
        };
        if (which == QLatin1String("about"))
            QVERIFY(withAbout(openMain()->menuAction("mnuAbout"), check));
        else
            check(openWindow(which));
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
        form::FormWindow *window = openWindow(opener);
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
                         QStringLiteral("Click here to visit ") + pages::homePage());
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

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
