// Searching: the main window's modes and lists, Next, the result window and Back.

#include "app/application.h"
#include "app/window_registry.h"
#include "catalogue/catalogue.h"
#include "support/test_support.h"
#include "windows/exit_window.h"
#include "windows/form_label.h"
#include "windows/main_window.h"
#include "windows/result_window.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace testsupport;
using windows::FormLabel;
using windows::MainWindow;
using windows::ResultWindow;

namespace {
// The control a person would hit at the centre of the named control: what is
// in front there.
QWidget *frontmostAt(QWidget *window, const char *name)
{
    auto *target = window->findChild<QWidget *>(QLatin1String(name));
    const QPoint centre = target->mapTo(window, target->rect().center());
    return window->childAt(centre);
}

// The frame of the result window the user sees: the one in front of the other.
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

// Selects a mode the way a person does: by clicking its option button.
void clickMode(MainWindow *main, bool herb)
{
    QTest::mouseClick(herb ? main->Option1() : main->optAilment(), Qt::LeftButton, {},
                      QPoint(8, 8));
}

const QString hayFeverText = QStringLiteral(
    "The following herbal treatments reduce the symptoms related to Hay Fever.\r\n"
    "a. Evening Primrose helps reduce severe back aches.\r\n"
    "b. Yarrow is helpful as a steaming agent.\r\n"
    "Apart from these, in case of hay fever, a towel needs to be draped over the head and "
    "Yarrow needs to be inhaled until the water cools");
} // namespace

class TestSearch : public QObject
{
    Q_OBJECT

private:
    MessageRecorder *m_messages = nullptr;
    ExitRecorder *m_exits = nullptr;
    UrlRecorder *m_urls = nullptr;

    MainWindow *startMain()
    {
        MainWindow *main = app::frmMain();
        showAndActivate(main);
        return main;
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

    void startsInAilmentModeWithFirstEntries()
    {
        MainWindow *main = startMain();
        QVERIFY(main->optAilment()->isChecked());
        QVERIFY(!main->Option1()->isChecked());
        QVERIFY(main->cmbAilment()->isEnabled());
        QVERIFY(!main->cmbHerb()->isEnabled());
        QCOMPARE(main->cmbAilment()->currentText(), QStringLiteral("Toothache"));
        QCOMPARE(main->cmbHerb()->currentText(), QStringLiteral("Clove Oil"));
        QCOMPARE(QApplication::focusWidget(), main->cmbAilment());
        QCOMPARE(main->windowTitle(), QStringLiteral("Thymara v1.0"));

        // The lists keep catalogue order (not sorted) and offer nothing to type into.
        QStringList ailments;
        for (int i = 0; i < main->cmbAilment()->count(); ++i)
            ailments << main->cmbAilment()->itemText(i);
        QCOMPARE(ailments, catalogue::ailmentNames());
        QCOMPARE(main->cmbHerb()->count(), 27);
        QCOMPARE(main->cmbHerb()->itemText(26), QStringLiteral("Passion Flower"));
        QVERIFY(!main->cmbAilment()->isEditable());

        // As laid out, the fully-branded offer lies in front of the co-branding one.
        QCOMPARE(frontmostAt(main, "lblCobrand")->objectName(), QStringLiteral("lblFullBrand"));
        QVERIFY(!main->menuAction("mkmoney")->isEnabled());
    }

    void nextShowsChosenFrame_data()
    {
        QTest::addColumn<bool>("herbMode");
        QTest::addColumn<QString>("ailment");
        QTest::addColumn<QString>("herb");
        QTest::addColumn<QString>("herbsLine");
        QTest::addColumn<QString>("ailmentsLine");
        QTest::addColumn<QString>("herbRemedyStart");

        QTest::newRow("defaults") << false << "Toothache" << "Clove Oil"
                                  << "Clove Oil, Allspice, Nutmeg, Cayenne pepper" << "Toothache"
                                  << "It is not possible to visit a dentist";
        QTest::newRow("cough, ailment mode")
            << false << "Cough" << "Clove Oil" << "Marshmallow, Hyssop, Slippery Elm Bark"
            << "Toothache" << "It is not possible";
        QTest::newRow("evening primrose, herb mode")
            << true << "Toothache" << "Evening Primrose"
            << "Clove Oil, Allspice, Nutmeg, Cayenne pepper" << "Hay Fever,Acne"
            << "The following herbal treatments";
        QTest::newRow("cayenne is not cayenne pepper")
            << true << "Poor Circulation" << "Cayenne" << "Angelica, Cayenne, Gotu Kola, Butcher's Broom"
            << "Poor Circulation" << "Trembling fingers";
        QTest::newRow("cayenne pepper") << true << "Acne" << "Cayenne Pepper"
                                        << "Evening Primrose,Tea Tree Oil, Almond, Witch Hazel"
                                        << "Toothache" << "It is not possible";
        QTest::newRow("peppermint") << true << "Diarrhea" << "Peppermint"
                                    << "Blackberry, Peppermint, Red Raspberry" << "Diarrhea"
                                    << "Either the bark or the root";
        QTest::newRow("peppermint tea") << true << "Sinus Problems" << "Peppermint Tea"
                                        << "Peppermint Tea, Costmary, Marshmallow"
                                        << "Sinus Problems" << "Intake of peppermint tea";
        QTest::newRow("marshmallow keeps the sinus text")
            << true << "Bronchitis" << "Marshmallow" << "Marshmallow, Hyssop, Slippery Elm Bark"
            << "Sinus Problems, Cough,Sore Throat, Bronchitis" << "Intake of peppermint tea";
    }

    void nextShowsChosenFrame()
    {
        QFETCH(bool, herbMode);
        QFETCH(QString, ailment);
        QFETCH(QString, herb);
        QFETCH(QString, herbsLine);
        QFETCH(QString, ailmentsLine);
        QFETCH(QString, herbRemedyStart);

        MainWindow *main = startMain();
        clickMode(main, herbMode);
        QCOMPARE(main->Option1()->isChecked(), herbMode);
        choose(main->cmbAilment(), ailment);
        choose(main->cmbHerb(), herb);
        QTest::mouseClick(main->cmdNext(), Qt::LeftButton);

        ResultWindow *display = app::existingDisplay();
        QVERIFY(display);
        QTRY_VERIFY(display->isVisible());
        QVERIFY(!main->isVisible());
        QCOMPARE(visibleWindows(), QStringList{QStringLiteral("frmDisplay")});
        // The exit window was made at Next, and hidden.
        QCOMPARE(existingWindows(),
                 (QStringList{"frmDisplay", "frmMain", "frmNagScreen2"}));

        QCOMPARE(visibleResultFrame(display),
                 herbMode ? QStringLiteral("fraHerb") : QStringLiteral("fraAilment"));
        // Both lookups always run: the frame behind is filled as well.
        QCOMPARE(display->lblAilmentNameAil()->text(), ailment);
        QCOMPARE(display->lblHerbsAil()->text(), herbsLine);
        QCOMPARE(display->lblPaganHerbalRemedyAil()->text(),
                 catalogue::lookupAilment(ailment)->remedy);
        QCOMPARE(display->lblHerbNameHer()->text(), herb);
        QCOMPARE(display->lblAilmentNameHer()->text(), ailmentsLine);
        QVERIFY2(display->lblPaganHerbalRemedyHer()->text().startsWith(herbRemedyStart),
                 qPrintable(display->lblPaganHerbalRemedyHer()->text()));
        // Values sized to their text are never cut.
        for (FormLabel *value : {display->lblHerbsAil(), display->lblAilmentNameHer()})
            QVERIFY(value->width() >= value->sizeHint().width());
        QTRY_COMPARE(QApplication::focusWidget(), display->cmdExit());
    }

    void hayFeverTextShowsFourLines()
    {
        MainWindow *main = startMain();
        clickMode(main, true);
        choose(main->cmbHerb(), QStringLiteral("Yarrow"));
        QTest::mouseClick(main->cmdNext(), Qt::LeftButton);
        ResultWindow *display = app::existingDisplay();
        QCOMPARE(display->lblPaganHerbalRemedyHer()->text(), hayFeverText);
        QCOMPARE(display->lblPaganHerbalRemedyHer()->text().split(QStringLiteral("\r\n")).size(), 4);
        QCOMPARE(display->fraHerb()->title(), QStringLiteral("Thymara Result"));
        QVERIFY(display->fraAilment()->title().isEmpty());
        // The paragraph fits its fixed box without being cut.
        FormLabel *remedy = display->lblPaganHerbalRemedyHer();
        QVERIFY(remedy->heightForWidth(remedy->width()) <= remedy->height());
    }

    void modeSwitchKeepsSelections()
    {
        MainWindow *main = startMain();
        choose(main->cmbAilment(), QStringLiteral("Burns"));
        clickMode(main, true);
        QVERIFY(!main->cmbAilment()->isEnabled());
        QVERIFY(main->cmbHerb()->isEnabled());
        choose(main->cmbHerb(), QStringLiteral("Ginger"));
        clickMode(main, false);
        clickMode(main, false); // clicking the selected one changes nothing
        QVERIFY(main->cmbAilment()->isEnabled());
        QVERIFY(!main->cmbHerb()->isEnabled());
        QCOMPARE(main->cmbAilment()->currentText(), QStringLiteral("Burns"));
        QCOMPARE(main->cmbHerb()->currentText(), QStringLiteral("Ginger"));
    }

    void backRestoresMainAndDiscardsResult_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Back button") << "button";
        QTest::newRow("File > Back") << "menu";
        QTest::newRow("Alt+B") << "key";
    }

    void backRestoresMainAndDiscardsResult()
    {
        QFETCH(QString, how);
        MainWindow *main = startMain();
        clickMode(main, true);
        choose(main->cmbAilment(), QStringLiteral("Insomnia"));
        choose(main->cmbHerb(), QStringLiteral("Valerian"));
        QTest::mouseClick(main->cmdNext(), Qt::LeftButton);
        QPointer<ResultWindow> first = app::existingDisplay();
        QVERIFY(showAndActivate(first));
        QPointer<windows::ExitWindow> exitWindow = app::existingNagScreen();

        if (how == QLatin1String("button"))
            QTest::mouseClick(first->cmdBack(), Qt::LeftButton);
        else if (how == QLatin1String("menu"))
            first->menuAction("mnuFileBack")->trigger();
        else
            QTest::keyClick(first, Qt::Key_B, Qt::AltModifier);

        // Only the main window is left on screen, as the user left it; the exit
        // window still exists (the same one), hidden, not closed.
        QTRY_COMPARE(visibleWindows(), QStringList{QStringLiteral("frmMain")});
        QVERIFY(main->Option1()->isChecked());
        QVERIFY(main->cmbHerb()->isEnabled());
        QCOMPARE(main->cmbAilment()->currentText(), QStringLiteral("Insomnia"));
        QCOMPARE(main->cmbHerb()->currentText(), QStringLiteral("Valerian"));
        QCOMPARE(app::existingNagScreen(), exitWindow.data());
        QVERIFY(exitWindow && !exitWindow->isClosed());
        QVERIFY(!app::existingDisplay());
        QTRY_VERIFY(first.isNull());
        QVERIFY(m_exits->statuses.isEmpty());

        // A fresh result window serves the next search; nothing of the last survives.
        clickMode(main, false);
        QTest::mouseClick(main->cmdNext(), Qt::LeftButton);
        ResultWindow *second = app::existingDisplay();
        QVERIFY(second);
        QCOMPARE(visibleResultFrame(second), QStringLiteral("fraAilment"));
        QCOMPARE(second->lblAilmentNameAil()->text(), QStringLiteral("Insomnia"));
        QCOMPARE(second->lblHerbsAil()->text(), QStringLiteral("Lemon, Valerian, Passion Flower"));
    }

    void lookupFindingNothingLeavesLabels()
    {
        // The lists only offer catalogue names; an odd entry stands in for any
        // text the catalogue does not know.
        MainWindow *main = startMain();
        main->cmbAilment()->addItem(QStringLiteral("toothache"));
        choose(main->cmbAilment(), QStringLiteral("toothache"));
        main->cmbHerb()->addItem(QStringLiteral("Cayenne "));
        choose(main->cmbHerb(), QStringLiteral("Cayenne "));
        main->cmdNext()->click();
        ResultWindow *display = app::existingDisplay();
        QCOMPARE(display->lblAilmentNameAil()->text(), QStringLiteral("toothache"));
        QCOMPARE(display->lblHerbsAil()->text(), QStringLiteral("lblHerbsAil"));
        QCOMPARE(display->lblPaganHerbalRemedyAil()->text(), QStringLiteral("lblPaganHerbalRemedyAil"));
        QCOMPARE(display->lblAilmentNameHer()->text(), QStringLiteral("lblAilmentNameHer"));
        QCOMPARE(display->lblPaganHerbalRemedyHer()->text(), QStringLiteral("lblPaganHerbalRemedyHer"));
    }

    void keyboardFollowsTabOrder_data()
    {
        QTest::addColumn<bool>("herbMode");
        QTest::addColumn<QStringList>("chain");
        // Disabled lists and the unselected option button are skipped.
        QTest::newRow("ailment mode") << false
                                      << QStringList{"cmbAilment", "optAilment", "cmdNext", "cmbAilment"};
        QTest::newRow("herb mode") << true
                                   << QStringList{"cmbHerb", "Option1", "cmdNext", "cmbHerb"};
    }

    void keyboardFollowsTabOrder()
    {
        QFETCH(bool, herbMode);
        QFETCH(QStringList, chain);
        MainWindow *main = startMain();
        if (herbMode) {
            clickMode(main, true);
            main->cmbHerb()->setFocus();
        }
        QStringList seen{QApplication::focusWidget()->objectName()};
        for (int i = 1; i < chain.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(seen, chain);
    }

    void accessKeysAndKeyboardNext()
    {
        MainWindow *main = startMain();
        QTest::keyClick(main, Qt::Key_N, Qt::AltModifier);
        QTRY_VERIFY(app::existingDisplay() && app::existingDisplay()->isVisible());
        ResultWindow *display = app::existingDisplay();
        QVERIFY(showAndActivate(display));
        QCOMPARE(QApplication::focusWidget(), display->cmdExit());
        QTest::keyClick(display->cmdExit(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), display->cmdBack());
        // Enter goes to the focused button.
        QTest::keyClick(display->cmdBack(), Qt::Key_Return);
        QTRY_COMPARE(visibleWindows(), QStringList{QStringLiteral("frmMain")});
    }
};

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
