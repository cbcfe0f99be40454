// What a screen reader and a keyboard user get from every window.

#include "support/test_support.h"
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
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace testsupport;

namespace {
QString spoken(QWidget *w, QAccessible::Text what)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(what) : QString();
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
        auto *label = qobject_cast<QLabel *>(w);
        const bool picture = label && !label->pixmap().isNull();
        const bool noTextOfItsOwn = qobject_cast<QComboBox *>(w) || qobject_cast<QLineEdit *>(w) ||
                                    qobject_cast<QPlainTextEdit *>(w) || picture;
        if (noTextOfItsOwn && w->accessibleName().isEmpty())
            problems << name + QStringLiteral(": no accessible name");
        if (noTextOfItsOwn && spoken(w, QAccessible::Name).isEmpty())
            problems << name + QStringLiteral(": a screen reader reads no name");
        const bool link = w->cursor().shape() == Qt::PointingHandCursor && label;
        if (link && spoken(w, QAccessible::Description).isEmpty())
            problems << name + QStringLiteral(": a link that does not say where it leads");
        if ((label && !picture) || qobject_cast<QGroupBox *>(w)) {
            if (w->focusPolicy() != Qt::NoFocus)
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

        QStringList aboutProblems{QStringLiteral("not opened")};
        QTimer::singleShot(0, [&] {
            auto *about = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!about)
                return;
            aboutProblems = problemsIn(about);
            about->reject();
        });
        QTimer::singleShot(5000, [] {
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
        });
        windows::existingDisplay()->menuAction("mnuAbout")->trigger();
        QCOMPARE(aboutProblems, QStringList());
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
