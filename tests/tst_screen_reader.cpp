// What a screen reader reads where Qt alone gives it too little: the lists'
// entries as text, text boxes' attribute runs, the result read with Exit, and
// which windows the program shows it. Checked through the interfaces Qt hands
// to the desktop's accessibility bus, and through the events that get past
// the program's update filter to it, as Qt Test's recorder receives them in
// Qt's own place. What Orca then says is checked for real by
// scripts/orca_check.sh.

#include "accessibility/update_filter_testing.h"
#include "catalogue/catalogue.h"
#include "forms/form_label.h"
#include "platform/accessibility_bridge.h"
#include "support/test_support.h"
#include "windows/exit_window.h"
#include "windows/main_window.h"
#include "windows/result_window.h"
#include "windows/window_registry.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QtTest/qtestaccessible.h>

using namespace testsupport;

namespace {
struct Run
{
    int start = -1;
    int end = -1;
};

Run runAt(QAccessibleTextInterface *text, int offset)
{
    Run run;
    text->attributes(offset, &run.start, &run.end);
    return run;
}

QString wholeText(QAccessibleTextInterface *text)
{
    return text->text(0, text->characterCount());
}

// Where the desktop's bridge tells a focus as the part that has it (Windows),
// a reader hears a window becoming active as the focus of the control
// focused in it, and a list's focus as that of its current entry. Which part
// that is, is known only as the event is delivered: what is heard instead of
// a recorded event, by its place in the recorder's list.
QHash<qsizetype, QString> heardInstead;
QAccessible::UpdateHandler recorder = nullptr;

// An object as told() names it: by its name, or its class where it has none.
QString nameOf(const QObject *object)
{
    if (!object)
        return QStringLiteral("?");
    return object->objectName().isEmpty() ? QString::fromLatin1(object->metaObject()->className())
                                          : object->objectName();
}

QString focusOn(const QAccessibleInterface *part)
{
    if (!part)
        return {};
    if (part->object())
        return nameOf(part->object()) + QStringLiteral(" Focus");
    const QAccessibleInterface *parent = part->parent();
    if (!parent || !parent->object())
        return {};
    return nameOf(parent->object()) + QStringLiteral(" Focus:") +
           QString::number(parent->indexOfChild(part));
}

void hearAsTheBridgeDoes(QAccessibleEvent *event)
{
    QAccessibleInterface *told = platform::bridgeTellsFocusedPart && event->child() < 0
                                     ? event->accessibleInterface()
                                     : nullptr;
    const bool activation =
        told && event->type() == QAccessible::StateChanged &&
        static_cast<const QAccessibleStateChangeEvent *>(event)->changedStates().active &&
        told->role() == QAccessible::Window && told->state().active;
    const bool listFocus = told && event->type() == QAccessible::Focus && told->childCount() > 0;
    const QString heard = activation || listFocus ? focusOn(told->focusChild()) : QString();
    if (!heard.isEmpty())
        heardInstead.insert(QTestAccessibility::events().size(), heard);
    recorder(event);
}

// Qt Test's recorder keeps copies of the events it is handed; clearing its
// list alone would leave them allocated.
void forgetEvents()
{
    qDeleteAll(QTestAccessibility::events());
    QTestAccessibility::clearEvents();
    heardInstead.clear();
}

// The events that reached assistive technology since the last forgetEvents(),
// as "name Event" (with ":row" for an entry of a list).
QStringList told()
{
    static const QHash<int, const char *> names = {
        {QAccessible::Focus, "Focus"},
        {QAccessible::ObjectShow, "ObjectShow"},
        {QAccessible::ObjectHide, "ObjectHide"},
        {QAccessible::StateChanged, "StateChanged"},
        {QAccessible::TextInserted, "TextInserted"},
        {QAccessible::TextRemoved, "TextRemoved"},
        {QAccessible::TextUpdated, "TextUpdated"},
        {QAccessible::TextCaretMoved, "TextCaretMoved"},
        {QAccessible::TextSelectionChanged, "TextSelectionChanged"},
        {QAccessible::ValueChanged, "ValueChanged"},
        {QAccessible::SelectionAdd, "SelectionAdd"},
        {QAccessible::Selection, "Selection"},
    };
    QStringList all;
    const QList<QAccessibleEvent *> events = QTestAccessibility::events();
    for (qsizetype i = 0; i < events.size(); ++i) {
        const QAccessibleEvent *event = events.at(i);
        if (heardInstead.contains(i)) {
            all.append(heardInstead.value(i));
            continue;
        }
        // Which window is active the window system decides, alike on every
        // Qt; the test plays Qt's part without it.
        if (event->type() == QAccessible::StateChanged) {
            QAccessible::State changed =
                static_cast<const QAccessibleStateChangeEvent *>(event)->changedStates();
            changed.active = false;
            if (changed == QAccessible::State())
                continue;
        }
        QString name = nameOf(event->object());
        name += QLatin1Char(' ') + QLatin1String(names.value(event->type(), "Other"));
        if (event->child() >= 0)
            name += QLatin1Char(':') + QString::number(event->child());
        if (event->type() == QAccessible::TextInserted)
            name += QLatin1Char(' ') +
                    static_cast<const QAccessibleTextInsertEvent *>(event)->textInserted();
        else if (event->type() == QAccessible::StateChanged)
            name +=
                static_cast<const QAccessibleStateChangeEvent *>(event)->changedStates().invisible
                    ? QStringLiteral(" invisible")
                    : QString();
        all.append(name);
    }
    return all;
}

// Those of them that match what a step is about.
QStringList toldAbout(const QString &about)
{
    return told().filter(QRegularExpression(about));
}

// Every object below root (the accessible tree, as a reader walks it) that
// reports the focused state, by name.
void focusedBelow(QAccessibleInterface *root, QStringList &found, int depth = 0)
{
    if (!root || depth > 12)
        return;
    if (root->state().focused)
        found.append(root->object() ? root->object()->objectName()
                                    : QStringLiteral("entry ") + root->text(QAccessible::Name));
    for (int i = 0; i < root->childCount(); ++i)
        focusedBelow(root->child(i), found, depth + 1);
}

// Whether Qt hands its events to the update handler by itself where no
// desktop listens: Qt 6.8 does, Qt 6.4 tells nothing then, and the test plays
// Qt's part below.
bool qtTellsByItself = false;

// Plays Qt's part where no desktop listens: tells the program's filter that
// the watched window was shown or hidden, as Qt does the moment it happens.
class ShowingAsQtTellsIt : public QObject
{
public:
    explicit ShowingAsQtTellsIt(QWidget *window) : QObject(window)
    {
        if (!qtTellsByItself)
            window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
            QAccessibleEvent told(watched, event->type() == QEvent::Show ? QAccessible::ObjectShow
                                                                         : QAccessible::ObjectHide);
            accessibility::updates::filter(&told);
        }
        return false;
    }
};

// The same for a text box's text: Qt tells the new text and where the caret
// went, while the change is being made.
void tellTextChangesAsQtDoes(QLineEdit *box)
{
    if (qtTellsByItself)
        return;
    QObject::connect(box, &QLineEdit::textChanged, box, [box](const QString &text) {
        QAccessibleTextUpdateEvent updated(box, 0, QString(), text);
        accessibility::updates::filter(&updated);
        QAccessibleTextCursorEvent caret(box, box->cursorPosition());
        accessibility::updates::filter(&caret);
    });
}

// The same for the focus: Qt tells it once the widget has it, each time the
// program's focus widget changes.
void tellFocusAsQtDoes()
{
    if (qtTellsByItself)
        return;
    QObject::connect(qApp, &QApplication::focusChanged, qApp, [](QWidget *, QWidget *now) {
        if (!now)
            return;
        QAccessibleEvent focus(now, QAccessible::Focus);
        accessibility::updates::filter(&focus);
    });
}

// Makes a window active at once, as the Windows platform does while the
// window is being shown.
void activateAtOnce(QWidget *window)
{
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    QApplication::setActiveWindow(window);
    QT_WARNING_POP
}

QList<QObject *> programChildren()
{
    QList<QObject *> children;
    QAccessibleInterface *program = QAccessible::queryAccessibleInterface(qApp);
    for (int i = 0; i < program->childCount(); ++i) {
        QAccessibleInterface *child = program->child(i);
        if (child) {
            children.append(child->object());
            if (program->indexOfChild(child) != i)
                children.append(nullptr); // a child the program cannot find again
        }
    }
    return children;
}
} // namespace

class TestScreenReader : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:
    // Qt Test's recorder stands where Qt delivers to the desktop, behind the
    // program's filter, which the application set-up installs in front of
    // whatever is there.
    void initTestCase()
    {
        QTestAccessibility::initialize();
        recorder = QAccessible::installUpdateHandler(&hearAsTheBridgeDoes);
        accessibility::updates::listenWithoutDesktop(true);
        WindowTest::initTestCase();
        QAccessibleEvent probe(qApp, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&probe);
        qtTellsByItself = !QTestAccessibility::events().isEmpty();
        forgetEvents();
        tellFocusAsQtDoes();
    }

    void init()
    {
        WindowTest::init();
        forgetEvents();
    }

    void cleanupTestCase() { forgetEvents(); }

    void eventsThatReachAssistiveTechnology_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("about"); // the events that count
        QTest::addColumn<QStringList>("toldAtOnce");
        QTest::addColumn<QStringList>("toldOnceIdle"); // after the program waits again
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        const bool qt68 = true;
#else
        const bool qt68 = false;
#endif
        // The prompt goes, or the text is selected, before Qt announces the
        // focus: Orca took the caret move or the selection for the arrival.
        // What is typed next is told as ever.
        QTest::newRow("focus into a field showing its prompt")
            << "focus field"
            << "^txtName "
            << (qt68
                    ? QStringList{"txtName Focus", "txtName TextInserted a",
                                  "txtName TextCaretMoved"}
                    : QStringList{"txtName Focus", "txtName TextUpdated", "txtName TextCaretMoved"})
            << QStringList();
        QTest::newRow("focus into a field holding text")
            << "focus filled field"
            << "^txtName " << QStringList{"txtName Focus"} << QStringList();
        // Closing the result window shows the exit window, and Back hides it
        // at once: Orca kept the window it was told of as not visible.
        QTest::newRow("a window shown and hidden at once")
            << "show and hide"
            << "^frmNagScreen2 " << QStringList() << QStringList();
        QTest::newRow("a window shown")
            << "show"
            << "^frmNagScreen2 " << QStringList() << QStringList{"frmNagScreen2 ObjectShow"};
        // Windows activates a window while it is being shown: the window
        // comes before the focus inside it, and the focus is told once.
        QTest::newRow("a window activated as it shows")
            << "show active"
            << "^frmNagScreen2 ObjectShow|Focus"
            << QStringList{"frmNagScreen2 ObjectShow", "cmdClose Focus"} << QStringList();
        QTest::newRow("the window activated again, the focus where it was")
            << "activate again"
            << "Focus" << QStringList() << QStringList();
        QTest::newRow("back from another program, the focus where it was")
            << "return"
            << "Focus" << QStringList{"cmdClose Focus"} << QStringList();
        QTest::newRow("a window hidden on its own")
            << "hide"
            << "^frmNagScreen2 Object" << QStringList() << QStringList{"frmNagScreen2 ObjectHide"};
        QTest::newRow("a change in a hidden window")
            << "change hidden"
            << "^txtName " << QStringList() << QStringList();
        QTest::newRow("a change in a shown window")
            << "change shown"
            << "^txtName "
            << (qt68 ? QStringList{"txtName TextCaretMoved", "txtName TextUpdated"}
                     : QStringList{"txtName TextUpdated", "txtName TextCaretMoved"})
            << QStringList();
        // Qt 6.4 tells nothing when the closed list shows another entry;
        // Qt 6.8 tells the new value.
        QTest::newRow("Down on the closed list")
            << "down"
            << "^cmbAilment "
            << QStringList{qt68 ? "cmbAilment ValueChanged"
                                : "cmbAilment TextInserted Sinus Problems"}
            << QStringList();
        QTest::newRow("Home on the closed list")
            << "home"
            << "^cmbAilment "
            << QStringList{qt68 ? "cmbAilment ValueChanged" : "cmbAilment TextInserted Toothache"}
            << QStringList();
        // Qt names the opened list, not the entry the user is on, and the
        // entry once the program waits. A bridge that tells a list's focus
        // as its current entry names the entry at once; the entry's own
        // focus is then a repeat.
        const bool partTold = platform::bridgeTellsFocusedPart;
        QTest::newRow("the list opened")
            << "open"
            << "^QComboBoxListView Focus"
            << QStringList{partTold ? "QComboBoxListView Focus:0" : "QComboBoxListView Focus"}
            << (partTold ? QStringList() : QStringList{"QComboBoxListView Focus:0"});
        // An entry chosen in the open list was heard there already.
        QTest::newRow("an entry chosen in the open list")
            << "choose in open list"
            << "^cmbAilment " << QStringList{"cmbAilment Focus"} << QStringList();
        // The offers share one place; the one raised covers the other.
        QTest::newRow("the other offer raised")
            << "raise cobrand"
            << "^lbl"
            << QStringList{"lblFullBrand StateChanged invisible",
                           "lblCobrand StateChanged invisible"}
            << QStringList();
        QTest::newRow("the offer in front raised") << "raise full brand"
                                                   << "^lbl" << QStringList() << QStringList();
    }

    // What gets past the program's filter to assistive technology, and when.
    void eventsThatReachAssistiveTechnology()
    {
        QFETCH(QString, step);
        QFETCH(QString, about);
        QFETCH(QStringList, toldAtOnce);
        QFETCH(QStringList, toldOnceIdle);
        windows::MainWindow *main = openMain();
        windows::ExitWindow *exitWindow = nullptr;
        if (step.startsWith(QLatin1String("focus ")) || step == QLatin1String("activate again") ||
            step == QLatin1String("return")) {
            exitWindow = windows::frmNagScreen2();
            QVERIFY(showAndActivate(exitWindow));
        } else if (step.startsWith(QLatin1String("show")) ||
                   step.startsWith(QLatin1String("change")) || step == QLatin1String("hide")) {
            openResult();
            exitWindow = windows::existingNagScreen();
            QVERIFY(exitWindow && !exitWindow->isVisible());
            if (step == QLatin1String("change shown") || step == QLatin1String("hide"))
                QVERIFY(showAndActivate(exitWindow));
        }
        if (exitWindow) {
            new ShowingAsQtTellsIt(exitWindow);
            tellTextChangesAsQtDoes(exitWindow->txtName());
            if (step == QLatin1String("focus filled field"))
                exitWindow->txtName()->setText(QStringLiteral("Alice"));
        }
        QComboBox *list = main->cmbAilment();
        if (step == QLatin1String("down") || step == QLatin1String("home")) {
            list->setCurrentIndex(step == QLatin1String("home") ? 3 : 0);
            list->setFocus();
            QTRY_VERIFY_WITH_TIMEOUT(list->hasFocus(), 5000);
        }
        if (step == QLatin1String("choose in open list")) {
            list->setFocus();
            list->showPopup();
            QTRY_VERIFY_WITH_TIMEOUT(list->view()->isVisible(), 5000);
        }
        QTest::qWait(0);
        forgetEvents();

        if (step.startsWith(QLatin1String("focus "))) {
            exitWindow->txtName()->setFocus(Qt::TabFocusReason);
            if (step == QLatin1String("focus field"))
                QTest::keyClick(exitWindow->txtName(), Qt::Key_A);
        } else if (step == QLatin1String("show and hide")) {
            exitWindow->show();
            exitWindow->hide();
        } else if (step == QLatin1String("show")) {
            exitWindow->show();
        } else if (step == QLatin1String("hide")) {
            exitWindow->hide();
        } else if (step == QLatin1String("show active")) {
            exitWindow->show();
            activateAtOnce(exitWindow);
        } else if (step == QLatin1String("activate again")) {
            activateAtOnce(nullptr);
            activateAtOnce(exitWindow);
        } else if (step == QLatin1String("return")) {
            activateAtOnce(nullptr);
            Q_EMIT qApp->applicationStateChanged(Qt::ApplicationInactive);
            Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);
            activateAtOnce(exitWindow);
        } else if (step.startsWith(QLatin1String("change"))) {
            exitWindow->txtName()->setText(QStringLiteral("x"));
        } else if (step == QLatin1String("down")) {
            QTest::keyClick(list, Qt::Key_Down);
        } else if (step == QLatin1String("home")) {
            QTest::keyClick(list, Qt::Key_Home);
        } else if (step == QLatin1String("open")) {
            list->showPopup();
        } else if (step == QLatin1String("choose in open list")) {
            QTest::keyClick(list->view(), Qt::Key_Down);
            QTest::keyClick(list->view(), Qt::Key_Return);
            QTRY_VERIFY_WITH_TIMEOUT(!list->view()->isVisible(), 5000);
            QCOMPARE(list->currentIndex(), 1);
        } else if (step == QLatin1String("raise cobrand")) {
            main->bringToFront(main->lblCobrand());
        } else if (step == QLatin1String("raise full brand")) {
            main->bringToFront(main->lblFullBrand());
        }
        QCOMPARE(toldAbout(about), toldAtOnce);
        forgetEvents();
        QTest::qWait(50);
        QCOMPARE(toldAbout(about), toldOnceIdle);
        if (step == QLatin1String("open"))
            list->hidePopup();
    }

    void listEntryIsItsText_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("entry");
        QTest::newRow("ailments, first entry") << "cmbAilment" << 0;
        QTest::newRow("ailments, last entry") << "cmbAilment" << 10;
        QTest::newRow("herbs") << "cmbHerb" << 5;
    }

    // A screen reader reads a list's value from its text; without it Orca
    // named the list but never its entry.
    void listEntryIsItsText()
    {
        QFETCH(QString, list);
        QFETCH(int, entry);
        windows::MainWindow *main = openMain();
        auto *box = main->findChild<QComboBox *>(list);
        box->setEnabled(true);
        box->setCurrentIndex(entry);
        QAccessibleTextInterface *text =
            QAccessible::queryAccessibleInterface(box)->textInterface();
        QVERIFY(text);
        QCOMPARE(wholeText(text), box->itemText(entry));
        QCOMPARE(text->text(0, -1), box->itemText(entry));
        const Run run = runAt(text, text->characterCount() - 1);
        QCOMPARE(run.start, 0);
        QCOMPARE(run.end, text->characterCount());
        // Flat review reads a text only where it lies: each character inside
        // the list, left to right, and found again at its centre.
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(box);
        int lastLeft = -1;
        for (int offset = 0; offset < text->characterCount(); ++offset) {
            const QRect rect = text->characterRect(offset);
            QVERIFY2(face->rect().contains(rect), qPrintable(QString::number(offset)));
            QVERIFY(rect.left() > lastLeft);
            lastLeft = rect.left();
            QCOMPARE(text->offsetAtPoint(rect.center()), offset);
        }
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
        // Orca 48 reads a closed list's new entry from the list's selection.
        QAccessibleSelectionInterface *selection = face->selectionInterface();
        QVERIFY(selection);
        QCOMPARE(selection->selectedItemCount(), 1);
        QCOMPARE(selection->selectedItem(0)->text(QAccessible::Name), box->itemText(entry));
#endif

        // The entry is selected while the list has the focus, so that a new
        // entry reads as replacing a selected text.
        box->setFocus();
        QTRY_VERIFY_WITH_TIMEOUT(box->hasFocus(), 5000);
        int start = -1, end = -1;
        QCOMPARE(text->selectionCount(), 1);
        text->selection(0, &start, &end);
        QCOMPARE(start, 0);
        QCOMPARE(end, text->characterCount());
        main->cmdNext()->setFocus();
        QTRY_VERIFY_WITH_TIMEOUT(!box->hasFocus(), 5000);
        QCOMPARE(text->selectionCount(), 0);
    }

    void letterOnTheClosedListLeavesThePopupAlone_data()
    {
        QTest::addColumn<QString>("letters");
        // Qt 6.8 reports the entry of every closed list as focused.
        QTest::newRow("no letter") << "";
        QTest::newRow("one letter") << "c";
        QTest::newRow("the same letter twice") << "hh";
        // From one entry with the letter on to the next.
        QTest::newRow("a letter of two entries, twice") << "ss";
        QTest::newRow("a capital") << "S";
    }

    // Qt picks the entry through the popup's list, which then reported its
    // new current item as focused although it never opened.
    void letterOnTheClosedListLeavesThePopupAlone()
    {
        QFETCH(QString, letters);
        windows::MainWindow *main = openMain();
        QComboBox *box = main->cmbAilment();
        box->setFocus();
        QTRY_VERIFY_WITH_TIMEOUT(box->hasFocus(), 5000);
        QSignalSpy popupMoved(box->view()->selectionModel(), &QItemSelectionModel::currentChanged);

        const QStringList names = catalogue::ailmentNames();
        int expected = box->currentIndex();
        for (const QChar letter : letters) {
            // The next entry starting with the letter, as the desktop's lists pick.
            for (int step = 1; step <= names.size(); ++step) {
                const int candidate = int((expected + step) % names.size());
                if (names.at(candidate).startsWith(letter, Qt::CaseInsensitive)) {
                    expected = candidate;
                    break;
                }
            }
            QTest::keyClick(box, letter.toLatin1());
            QTest::qWait(QApplication::keyboardInputInterval() + 50);
        }
        QCOMPARE(box->currentText(), names.at(expected));
        QCOMPARE(popupMoved.count(), 0);
        QVERIFY(!box->view()->isVisible());

        // Assistive technology heard the list show each entry, and nothing of
        // the popup; asked which object has the focus, only the list says so.
        const QStringList heard = told();
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        const QString shown = QStringLiteral("cmbAilment ValueChanged");
#else
        const QString shown = QStringLiteral("cmbAilment TextInserted ") + names.at(expected);
#endif
        QVERIFY2(letters.isEmpty() || heard.contains(shown),
                 qPrintable(heard.join(QLatin1String(", "))));
        for (const QString &event : heard)
            QVERIFY2(!event.startsWith(QLatin1String("QComboBoxListView")), qPrintable(event));
        QStringList focused;
        focusedBelow(QAccessible::queryAccessibleInterface(main), focused);
        QCOMPARE(focused, QStringList{QStringLiteral("cmbAilment")});

        // The popup still opens on the entry shown.
        box->showPopup();
        QTRY_VERIFY_WITH_TIMEOUT(box->view()->isVisible(), 5000);
        QCOMPARE(box->view()->currentIndex().row(), expected);
        box->hidePopup();
    }

    void textBoxesReportOneRunOverTheirText_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("name");
        QTest::newRow("name, a word") << "txtName"
                                      << "Alice"
                                      << "Your name";
        QTest::newRow("name, two words") << "txtName"
                                         << "Alice Smith"
                                         << "Your name";
        QTest::newRow("friend's e-mail") << "txtFriendEmail"
                                         << "bob@example.org"
                                         << "Friend's email address";
        QTest::newRow("one character") << "txtFriendName"
                                       << "B"
                                       << "Friend's name";
    }

    // Qt's own text boxes report an empty run at every offset; Orca joined
    // them to read a line and lost its last character ("Alic").
    void textBoxesReportOneRunOverTheirText()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, name);
        openMain();
        windows::ExitWindow *exitWindow = windows::frmNagScreen2();
        QVERIFY(showAndActivate(exitWindow));
        auto *box = exitWindow->findChild<QLineEdit *>(field);
        box->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY_WITH_TIMEOUT(box->hasFocus(), 5000);
        QTest::keyClicks(box, typed);

        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(box);
        QCOMPARE(face->role(), QAccessible::EditableText);
        QCOMPARE(face->text(QAccessible::Name), name);
        QCOMPARE(face->text(QAccessible::Value), typed);
        QVERIFY(face->state().editable);
        QAccessibleTextInterface *text = face->textInterface();
        QVERIFY(text);
        QCOMPARE(wholeText(text), typed);
        QCOMPARE(text->cursorPosition(), typed.size());
        for (int offset : {0, int(typed.size()) - 1, int(typed.size())}) {
            const Run run = runAt(text, offset);
            QCOMPARE(run.start, 0);
            QCOMPARE(run.end, typed.size());
        }
        // What a reader reads as the line is the whole text.
        int start = -1, end = -1;
        QCOMPARE(text->textAtOffset(0, QAccessible::LineBoundary, &start, &end), typed);

        // Switch access edits through the same interface.
        QAccessibleEditableTextInterface *editable = face->editableTextInterface();
        QVERIFY(editable);
        editable->insertText(0, QStringLiteral(">"));
        QCOMPARE(box->text(), QStringLiteral(">") + typed);
        editable->deleteText(0, 1);
        QCOMPARE(box->text(), typed);
        editable->replaceText(0, 1, QStringLiteral("Z"));
        QCOMPARE(box->text(), QStringLiteral("Z") + typed.mid(1));
        editable->replaceText(0, 1, typed.left(1));
        QCOMPARE(box->text(), typed);

        // A selection made by assistive technology is the box's own, and
        // one at most.
        text->setSelection(0, typed.size(), 0); // either order
        QCOMPARE(box->selectedText(), typed);
        text->addSelection(0, 1);
        QCOMPARE(text->selectionCount(), 1);
        text->selection(0, &start, &end);
        QCOMPARE(QPair(start, end), QPair(0, 1));
        text->removeSelection(0);
        QCOMPARE(text->selectionCount(), 0);

        // Each character lies where the box draws it: left to right, inside
        // the box, and found again at its centre.
        int lastLeft = -1;
        for (int offset = 0; offset < typed.size(); ++offset) {
            const QRect rect = text->characterRect(offset);
            QVERIFY2(face->rect().contains(rect.center()), qPrintable(QString::number(offset)));
            QVERIFY(rect.left() > lastLeft);
            lastLeft = rect.left();
            QCOMPARE(text->offsetAtPoint(rect.center()), offset);
        }
        QCOMPARE(text->characterRect(int(typed.size())), QRect());
    }

    void resultIsReadWithExit_data()
    {
        QTest::addColumn<bool>("herbMode");
        QTest::addColumn<int>("entry");
        QTest::newRow("by ailment, first") << false << 0;
        QTest::newRow("by ailment, another") << false << 3;
        QTest::newRow("by herb") << true << 2;
    }

    // Orca's say-all on the focused Exit button reads the button alone; the
    // description it reads with it carries the result, in reading order.
    void resultIsReadWithExit()
    {
        QFETCH(bool, herbMode);
        QFETCH(int, entry);
        windows::MainWindow *main = openMain();
        QComboBox *list = herbMode ? main->cmbHerb() : main->cmbAilment();
        (herbMode ? main->Option1() : main->optAilment())->click();
        list->setCurrentIndex(entry);
        windows::ResultWindow *result = openResult(herbMode);
        QVERIFY(result);

        const QString chosen = list->itemText(entry);
        const auto finding =
            herbMode ? catalogue::lookupHerb(chosen) : catalogue::lookupAilment(chosen);
        QVERIFY(finding);
        const QString expected =
            herbMode ? QStringLiteral("Herb Name %1 Ailment Name %2 Pagan Herbal Remedy %3")
                     : QStringLiteral("Ailment Name %1 Herbs %2 Pagan Herbal Remedy %3");
        QAccessibleInterface *exitFace = QAccessible::queryAccessibleInterface(result->cmdExit());
        QCOMPARE(exitFace->text(QAccessible::Description),
                 expected.arg(chosen, finding->line.simplified(), finding->remedy.simplified()));
        QCOMPARE(exitFace->text(QAccessible::Name), QStringLiteral("Exit"));
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        // Orca 48's say-all follows "flows to": from Exit to the result's
        // words, and from them to Back, never round to Exit again.
        const auto words = exitFace->relations(QAccessible::FlowsFrom);
        QCOMPARE(words.size(), 1);
        QVERIFY(words.first().first->textInterface());
        QCOMPARE(wholeText(words.first().first->textInterface()),
                 exitFace->text(QAccessible::Description));
        const auto after = words.first().first->relations(QAccessible::FlowsFrom);
        QCOMPARE(after.size(), 1);
        QCOMPARE(after.first().first->object(), result->cmdBack());
        // The words are those of the frame in front now.
        result->bringFrameToFront(herbMode ? result->fraAilment() : result->fraHerb());
        QCOMPARE(wholeText(words.first().first->textInterface()),
                 exitFace->text(QAccessible::Description));
#endif
        // Exit keeps the focus, and Back says nothing more than before.
        QCOMPARE(QApplication::focusWidget(), result->cmdExit());
        QCOMPARE(QAccessible::queryAccessibleInterface(result->cmdBack())
                     ->text(QAccessible::Description),
                 QString());
    }

    // A window hidden as it closes still tells that it is no longer the
    // active one, or Orca kept it as such and asked about it once gone;
    // anything else in it stays held back.
    void hiddenWindowTellsItsDeactivation()
    {
        openResult();
        windows::ExitWindow *exitWindow = windows::existingNagScreen();
        QVERIFY(exitWindow && !exitWindow->isVisible());
        forgetEvents();
        QAccessible::State active;
        active.active = true;
        QAccessibleStateChangeEvent deactivated(exitWindow, active);
        accessibility::updates::filter(&deactivated);
        QAccessibleStateChangeEvent insideIt(exitWindow->txtName(), active);
        accessibility::updates::filter(&insideIt);
        QCOMPARE(QTestAccessibility::events().size(), 1);
        QCOMPARE(QTestAccessibility::events().constFirst()->object(), exitWindow);
    }

    // The filter where no rule speaks: with nobody listening, behind an open
    // list, and handing an event to Qt's own delivery.
    void filterAtItsEdges()
    {
        using namespace accessibility::updates;
        windows::MainWindow *main = openMain();
        QVERIFY(showAndActivate(main));
        QTest::qWait(0);
        forgetEvents();
        // What nobody heard does not count as told: the same focus, once
        // somebody listens, is.
        QAccessibleEvent elsewhere(main->lblCobrand(), QAccessible::Focus);
        filter(&elsewhere);
        QAccessibleEvent focus(main->cmdNext(), QAccessible::Focus);
        listenWithoutDesktop(false);
        filter(&focus);
        listenWithoutDesktop(true);
        QCOMPARE(told(), QStringList{"lblCobrand Focus"});
        filter(&focus);
        QCOMPARE(told(), (QStringList{"lblCobrand Focus", "cmdNext Focus"}));

        // A window's activation while its open list has the focus: a bridge
        // that tells it as the control focused in the window would name one
        // that has not got it.
        QComboBox *list = main->cmbAilment();
        list->setFocus();
        list->showPopup();
        QTRY_VERIFY_WITH_TIMEOUT(list->view()->isVisible(), 5000);
        QTest::qWait(0);
        forgetEvents();
        QAccessible::State active;
        active.active = true;
        QAccessibleStateChangeEvent activated(main, active);
        filter(&activated);
        const qsizetype toldBehindPopup = QTestAccessibility::events().size();
        list->hidePopup();
        QCOMPARE(toldBehindPopup, platform::bridgeTellsFocusedPart ? 0 : 1);

        // Qt's own delivery calls whatever handler is installed: the filter
        // steps aside for it, or it would be handed its own event again, and
        // is back in front afterwards.
        forgetEvents();
        const QAccessible::UpdateHandler recording = passOnTo(nullptr);
        QAccessibleEvent renamed(main, QAccessible::NameChanged);
        filter(&renamed);
        passOnTo(recording);
        QVERIFY(QAccessible::installUpdateHandler(&filter) == &filter);
        QCOMPARE(QTestAccessibility::events().size(), 0);
    }

    void onlyShownWindowsAreTheProgramsWindows_data()
    {
        QTest::addColumn<bool>("exitShown");
        QTest::newRow("the exit window made hidden at Next") << false;
        QTest::newRow("the exit window shown") << true;
    }

    // A reader that looked at the exit window while it was hidden kept it as
    // not visible, and flat review found nothing in it.
    void onlyShownWindowsAreTheProgramsWindows()
    {
        QFETCH(bool, exitShown);
        windows::ResultWindow *result = openResult();
        windows::ExitWindow *exitWindow = windows::existingNagScreen();
        QVERIFY(exitWindow && !exitWindow->isVisible());
        if (exitShown)
            QVERIFY(showAndActivate(exitWindow));

        const QList<QObject *> children = programChildren();
        QVERIFY(!children.contains(nullptr));
        QVERIFY(children.contains(result));
        QCOMPARE(children.contains(exitWindow), exitShown);
        QVERIFY(!children.contains(windows::existingMain())); // hidden at Next
    }

    void refusedAddressesNameTheFieldAtFault_data()
    {
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("friendEmail");
        QTest::addColumn<QString>("said"); // with the button the user comes back to
        QTest::addColumn<QStringList>("atFault");
        const QString proper = QStringLiteral(": Please Enter Proper Email Address");
        QTest::newRow("own address improper")
            << "alice"
            << "bob@example.org" << QStringLiteral("Your email address") + proper
            << QStringList{"txtEmail"};
        QTest::newRow("friend's address improper")
            << "alice@example.org"
            << "bob@example" << QStringLiteral("Friend's email address") + proper
            << QStringList{"txtFriendEmail"};
        QTest::newRow("both improper: the first")
            << "alice"
            << "bob" << QStringLiteral("Your email address") + proper << QStringList{"txtEmail"};
        QTest::newRow("the same twice")
            << "al@example.org"
            << " al@example.org "
            << "Your email address and Friend's email address: Please Enter Distinct Email "
               "Addresses"
            << QStringList{"txtEmail", "txtFriendEmail"};
        QTest::newRow("both fine") << "alice@example.org"
                                   << "bob@example.org"
                                   << "" << QStringList();
    }

    // The message box does not say which of the two fields it means.
    void refusedAddressesNameTheFieldAtFault()
    {
        QFETCH(QString, email);
        QFETCH(QString, friendEmail);
        QFETCH(QString, said);
        QFETCH(QStringList, atFault);
        openMain();
        windows::ExitWindow *exitWindow = windows::frmNagScreen2();
        QVERIFY(showAndActivate(exitWindow));
        QAccessibleInterface *button =
            QAccessible::queryAccessibleInterface(exitWindow->cmdSubmit());
        // A fault from before is never left standing.
        exitWindow->txtEmail()->setText(QStringLiteral("x"));
        QVERIFY(!exitWindow->CheckReferralAddresses());
        standIns().messages.shown.clear();

        exitWindow->txtEmail()->setText(email);
        exitWindow->txtFriendEmail()->setText(friendEmail);
        QCOMPARE(exitWindow->CheckReferralAddresses(), said.isEmpty());
        QCOMPARE(button->text(QAccessible::Description), said);
        QCOMPARE(button->text(QAccessible::Name), QStringLiteral("Refer A Friend Now"));
        standIns().messages.shown.clear();

        if (atFault.isEmpty())
            return;
        // Typing in the other field leaves the fault as it is; typing in the
        // field at fault makes it stale.
        for (QLineEdit *box : {exitWindow->txtEmail(), exitWindow->txtFriendEmail()}) {
            if (atFault.contains(box->objectName()))
                continue;
            box->setFocus(Qt::TabFocusReason);
            QTRY_VERIFY_WITH_TIMEOUT(box->hasFocus(), 5000);
            QTest::keyClick(box, Qt::Key_M);
            QCOMPARE(button->text(QAccessible::Description), said);
        }
        auto *faulty = exitWindow->findChild<QLineEdit *>(atFault.last());
        faulty->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY_WITH_TIMEOUT(faulty->hasFocus(), 5000);
        QTest::keyClick(faulty, Qt::Key_M);
        QCOMPARE(button->text(QAccessible::Description), QString());
    }
};

QTEST_MAIN(TestScreenReader)
#include "tst_screen_reader.moc"
