// What a screen reader and switch access get from every window: everything is
// checked through the interfaces Qt hands to the desktop's accessibility bus,
// never through the widgets' own properties.

#include "forms/form_label.h"
#include "support/test_support.h"
#include "support/web_pages.h"
#include "windows/about_window.h"
#include "windows/exit_window.h"
#include "windows/main_window.h"
#include "windows/result_window.h"
#include "windows/window_registry.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

using namespace testsupport;

namespace {
const QString press = QAccessibleActionInterface::pressAction();

QAccessibleInterface *face(QWidget *window, const QString &name)
{
    auto *widget = window->findChild<QWidget *>(name);
    return widget ? QAccessible::queryAccessibleInterface(widget) : nullptr;
}

// What the labels of a control say, as a screen reader finds them.
QStringList labelsOf(QAccessibleInterface *iface)
{
    QStringList labels;
    for (const auto &relation : iface->relations(QAccessible::Label))
        labels << relation.first->text(QAccessible::Name);
    return labels;
}

QStringList actionsOf(QAccessibleInterface *iface)
{
    QAccessibleActionInterface *actions = iface->actionInterface();
    return actions ? actions->actionNames() : QStringList();
}

// The interface named name (depth first) below root.
QAccessibleInterface *findByName(QAccessibleInterface *root, const QString &name, int depth = 0)
{
    if (!root || depth > 12)
        return nullptr;
    if (root->text(QAccessible::Name) == name)
        return root;
    for (int i = 0; i < root->childCount(); ++i)
        if (QAccessibleInterface *found = findByName(root->child(i), name, depth + 1))
            return found;
    return nullptr;
}

// Checks every control of one window; returns the problems found.
QStringList problemsIn(QWidget *window)
{
    QStringList problems;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        const QString name = w->objectName();
        // Only the controls of the form; Qt's own parts are named qt_* or not at all.
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) ||
            name == QLatin1String("client"))
            continue;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
        auto *label = qobject_cast<QLabel *>(w);
        const bool picture = label && !label->pixmap().isNull();
        if (iface->role() == QAccessible::ComboBox) {
            if (labelsOf(iface).isEmpty() || labelsOf(iface).first().isEmpty())
                problems << name + QStringLiteral(": a list without a label");
        } else if ((qobject_cast<QLineEdit *>(w) || qobject_cast<QPlainTextEdit *>(w) || picture) &&
                   iface->text(QAccessible::Name).isEmpty()) {
            problems << name + QStringLiteral(": a screen reader reads no name");
        }
        if (iface->role() == QAccessible::Link && iface->text(QAccessible::Description).isEmpty())
            problems << name + QStringLiteral(": a link that does not say where it leads");
        if ((label && !picture) || qobject_cast<QGroupBox *>(w)) {
            if (w->focusPolicy() != Qt::NoFocus || iface->state().focusable)
                problems << name + QStringLiteral(": a label or frame that takes the focus");
        }
    }
    return problems;
}

} // namespace

class TestAccessibility : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void everyControlCanBeNamed()
    {
        QCOMPARE(problemsIn(openMain()), QStringList());
        openResult();
        QCOMPARE(problemsIn(windows::existingDisplay()), QStringList());
        QCOMPARE(problemsIn(windows::existingNagScreen()), QStringList());
        QStringList aboutProblems{QStringLiteral("not checked")};
        QVERIFY(withAbout(windows::existingDisplay()->menuAction("mnuAbout"),
                          [&](QDialog *about) { aboutProblems = problemsIn(about); }));
        QCOMPARE(aboutProblems, QStringList());
    }

    void listsAreLabelledByWhatTheyHold_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("label");
        QTest::newRow("ailments") << "cmbAilment"
                                  << "Ailment";
        QTest::newRow("herbs") << "cmbHerb"
                               << "Herb";
    }

    // A screen reader on Windows reads the name and the value; one on the
    // desktop bus the label as well.
    void listsAreLabelledByWhatTheyHold()
    {
        QFETCH(QString, list);
        QFETCH(QString, label);
        windows::MainWindow *main = openMain();
        auto *box = main->findChild<QComboBox *>(list);
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(box);
        QCOMPARE(iface->role(), QAccessible::ComboBox);
        // Its own label only: the frame's caption belongs to the option buttons.
        QCOMPARE(labelsOf(iface), QStringList{label});
        // Named by what it holds; the entry shown is its value, and follows
        // the choice.
        QCOMPARE(iface->text(QAccessible::Name), label);
        QCOMPARE(iface->text(QAccessible::Value), box->itemText(0));
        box->setCurrentIndex(2);
        QCOMPARE(iface->text(QAccessible::Name), label);
        QCOMPARE(iface->text(QAccessible::Value), box->itemText(2));
        // The label names the list it labels, as the desktop bus expects.
        QAccessibleInterface *labelFace = iface->relations(QAccessible::Label).first().first;
        const auto back = labelFace->relations(QAccessible::Labelled);
        QCOMPARE(back.size(), 1);
        QCOMPARE(back.first().first, iface);
    }

    void childrenAreListedInReadingOrder_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("container"); // empty: the window itself
        QTest::addColumn<QString>("front");     // brought to the front first
        QTest::addColumn<QStringList>("children");

        // Every window and frame as tests/reading-order.txt writes it.
        QFile file(QStringLiteral(":/reading-order.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QRegularExpression quoted(QStringLiteral("\"(?:[^\"\\\\]|\\\\.)*\""));
        const QRegularExpression design(QStringLiteral("#(\\S+)"));
        QString window;
        QList<std::pair<QString, QStringList>> containers; // the open ones, by depth
        const auto addRows = [&](qsizetype fromDepth) {
            for (qsizetype d = containers.size() - 1; d >= fromDepth; --d) {
                const auto &[name, children] = containers[d];
                if (!children.isEmpty() && name != QLatin1String("QMenuBar"))
                    QTest::addRow("%s, %s", qPrintable(window), d ? qPrintable(name) : "the window")
                        << window << (d ? name : QString()) << QString() << children;
            }
            containers.resize(std::min(containers.size(), fromDepth));
        };
        for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
            if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
                continue;
            if (line.startsWith(QLatin1String("[tree "))) {
                addRows(0);
                window = line.mid(6).chopped(1);
                continue;
            }
            const qsizetype depth = line.indexOf(QRegularExpression(QStringLiteral("\\S"))) / 2;
            addRows(depth);
            QStringList ids; // of each description a line offers
            for (const auto &match : design.globalMatch(QString(line).remove(quoted)))
                ids << match.captured(1);
            ids.removeDuplicates();
            if (depth > 0)
                containers[depth - 1].second << ids;
            containers.append({ids.value(0), {}});
        }
        addRows(0);

        // Of two offers in one place, the one in front first.
        QTest::newRow("main, the co-brand offer raised")
            << "main"
            << "Frame5"
            << "lblCobrand" << QStringList{"lblCobrand", "lblFullBrand"};
        QTest::newRow("result by herb, its client area")
            << "result, herb mode"
            << "client"
            << "" << QStringList{"Frame2", "fraHerb", "fraAilment", "cmdExit", "cmdBack", "Frame5"};
        // Each heading before its value.
        QTest::newRow("result, the herb frame")
            << "result"
            << "fraHerb"
            << "" << QStringList{"Label4", "lblHerbNameHer",         "Label5", "lblAilmentNameHer",
                                 "Label6", "lblPaganHerbalRemedyHer"};
    }

    // Qt lists children back to front, and the forms stack their first rows
    // in front: screen readers read every window backwards.
    void childrenAreListedInReadingOrder()
    {
        QFETCH(QString, window);
        QFETCH(QString, container);
        QFETCH(QString, front);
        QFETCH(QStringList, children);

        const auto check = [&](QWidget *w) {
            QWidget *box = container.isEmpty() ? w : w->findChild<QWidget *>(container);
            QVERIFY(box);
            if (!front.isEmpty())
                w->findChild<QWidget *>(front)->raise();
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(box);
            QStringList listed;
            for (int i = 0; i < iface->childCount(); ++i) {
                QAccessibleInterface *kid = iface->child(i);
                QVERIFY(kid);
                QObject *object = kid->object();
                listed << (!object                          ? QStringLiteral("?")
                           : object->objectName().isEmpty() ? object->metaObject()->className()
                                                            : object->objectName());
                // The desktop bus finds a child's place from its parent.
                QCOMPARE(iface->indexOfChild(kid), i);
                QCOMPARE(kid->parent(), iface);
            }
            QCOMPARE(listed, children);
        };
        if (window == QLatin1String("about"))
            QVERIFY(withAbout(openMain()->menuAction("mnuAbout"), check));
        else
            check(openWindow(window));
    }

    void linkLabelsAreLinksThatOpenTheirPage_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("address"); // empty: a plain label

        for (const Binding &b : everyBinding())
            if (b.kind == Binding::Label)
                QTest::newRow(qPrintable(b.tag())) << b.window << b.control << b.address;
    }

    void linkLabelsAreLinksThatOpenTheirPage()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QString, address);

        const auto check = [&](QWidget *w) {
            QAccessibleInterface *iface = face(w, control);
            QVERIFY(iface);
            const bool link = !address.isEmpty();
            QCOMPARE(iface->role(), link ? QAccessible::Link : QAccessible::StaticText);
            QCOMPARE(iface->state().linked, link);
            QCOMPARE(actionsOf(iface), link ? QStringList{press} : QStringList());
            QCOMPARE(iface->text(QAccessible::Name), w->findChild<QLabel *>(control)->text());
            // Reached through its action only; the tab order passes it by.
            QVERIFY(!iface->state().focusable);
            if (link) {
                iface->actionInterface()->doAction(press);
                iface->actionInterface()->doAction(press);
            }
            const QStringList expected = link ? QStringList{address, address} : QStringList();
            QCOMPARE(standIns().urls.opened, expected);
        };
        if (window == QLatin1String("about"))
            QVERIFY(withAbout(openWindow(QStringLiteral("main"))->menuAction("mnuAbout"), check));
        else
            check(openWindow(window));
    }

    void coveredControlsAreNotShowing_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("front"); // brought to the front, for the main window
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("hidden");

        QTest::newRow("ailment result")
            << "result"
            << "" << QStringList{"fraAilment", "lblHerbsAil", "lblCobrand"}
            << QStringList{"fraHerb", "lblAilmentNameHer", "lblPaganHerbalRemedyHer", "Label4",
                           "lblFullBrand"};
        QTest::newRow("herb result")
            << "result, herb mode"
            << "" << QStringList{"fraHerb", "lblAilmentNameHer", "Label4"}
            << QStringList{"fraAilment", "lblHerbsAil", "lblPaganHerbalRemedyAil", "Label1"};
        QTest::newRow("main, co-brand offer in front")
            << "main"
            << "lblCobrand" << QStringList{"lblCobrand", "cmbAilment", "Frame5"}
            << QStringList{"lblFullBrand"};
        QTest::newRow("main, fully-branded offer in front")
            << "main"
            << "lblFullBrand" << QStringList{"lblFullBrand", "Label61"}
            << QStringList{"lblCobrand"};
    }

    void coveredControlsAreNotShowing()
    {
        QFETCH(QString, window);
        QFETCH(QString, front);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, hidden);

        form::FormWindow *w = openWindow(window);
        if (!front.isEmpty())
            w->findChild<QWidget *>(front)->raise();
        for (const QString &name : shown)
            QVERIFY2(!face(w, name)->state().invisible, qPrintable(name));
        for (const QString &name : hidden)
            QVERIFY2(face(w, name)->state().invisible, qPrintable(name));
        // Both lookups still fill both frames, seen or not.
        if (auto *result = qobject_cast<windows::ResultWindow *>(w)) {
            QVERIFY(!result->lblHerbsAil()->text().startsWith(QLatin1String("lbl")));
            QVERIFY(!result->lblAilmentNameHer()->text().startsWith(QLatin1String("lbl")));
        }
    }

    void everyActionOnCheck1IsAClick_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("press") << QAccessibleActionInterface::pressAction();
        QTest::newRow("toggle, as asked of a check box")
            << QAccessibleActionInterface::toggleAction();
    }

    void everyActionOnCheck1IsAClick()
    {
        QFETCH(QString, action);
        auto *exitWindow = static_cast<windows::ExitWindow *>(openWindow(QStringLiteral("exit")));
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(exitWindow->Check1());
        QCOMPARE(iface->role(), QAccessible::Button);
        QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Click Here To Visit Quorvel Now"));
        QCOMPARE(actionsOf(iface), QStringList{press});
        for (int i = 0; i < 2; ++i) {
            iface->actionInterface()->doAction(action);
            QCOMPARE(standIns().urls.opened.size(), i + 1); // once per press
            QVERIFY(!exitWindow->Check1()->isChecked());    // sprung back
            QVERIFY(!iface->state().pressed);
        }
        QCOMPARE(standIns().urls.opened, (QStringList{pages::homePage(), pages::homePage()}));
    }

    void actionsThatOpenAModalBoxAnswerAtOnce_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control"); // the accessible name of what is pressed
        QTest::addRow("main About Software") << "main"
                                             << "About Software";
        QTest::addRow("result About Software") << "result"
                                               << "About Software";
        QTest::addRow("exit Refer A Friend Now") << "exit"
                                                 << "Refer A Friend Now";
    }

    void actionsThatOpenAModalBoxAnswerAtOnce()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        form::FormWindow *w = openWindow(window);
        QAccessibleInterface *target =
            findByName(QAccessible::queryAccessibleInterface(w), control);
        QVERIFY(target && actionsOf(target).contains(press));

        bool aboutOpened = false;
        bool answered = false;
        bool openedBeforeTheAnswer = false;
        // Runs inside the About window's own loop: the action had to answer first.
        const ModalAnswerer answerer([&](QWidget *modal) {
            openedBeforeTheAnswer = openedBeforeTheAnswer || !answered;
            aboutOpened = true;
            modal->close();
        });
        target->actionInterface()->doAction(press);
        answered = true;
        QVERIFY(!openedBeforeTheAnswer);
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(standIns().messages.shown.size(), 0);
        if (window == QLatin1String("exit")) {
            QTRY_COMPARE_WITH_TIMEOUT(standIns().messages.texts(),
                                      QStringList{"Please Enter Proper Email Address"}, 5000);
            standIns().messages.shown.clear();
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(aboutOpened, 5000);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!QApplication::activeModalWidget(), 5000);
    }

    void aboutOpensOnceHoweverOftenItIsAskedFor()
    {
        // A screen reader reaches the menu entries even while the About window
        // blocks their window.
        windows::MainWindow *main = openMain();
        QAction *entry = main->menuAction("mnuAbout");
        bool askedAgain = false;
        const ModalAnswerer answerer([&](QWidget *modal) {
            // Asked for once more while it is up; it goes a moment later.
            askedAgain = true;
            QTimer::singleShot(0, entry, &QAction::trigger);
            QTimer::singleShot(100, modal, &QWidget::close);
        });
        entry->trigger();
        entry->trigger(); // twice before it opens
        QTRY_VERIFY_WITH_TIMEOUT(askedAgain && !QApplication::activeModalWidget(), 6000);
        QTest::qWait(100);
        QCOMPARE(answerer.seen(), 1);
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
