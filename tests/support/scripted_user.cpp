// Built together with the program's own main.cpp and library into
// thymara_scripted, the executable that the process tests start. It drives
// the program the way a person would, from inside its own event loop, and
// reports what it saw on standard output, one line at a time. The program
// itself knows nothing about it; nothing is preloaded, so it runs the same
// under the sanitizers and on every platform.
//
// THYMARA_AUTOPILOT selects what it does:
//   idle  - report the windows as they appear, touch nothing
//   exit  - close the main window, then press Exit on the exit window
//   draw  - as idle, and report one draw from the program's random generator
//   link  - choose Help > Online Help once, then end as in exit
// In every mode a message box is reported and answered with its default
// button.
//
// With THYMARA_TEST_BROWSER set, an address the program opens goes to that
// shell command (the address is its $1), started the way Qt starts the
// desktop's browser on Linux: a detached child of this process.

#include "common/random.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <cstdio>

namespace {

class StandInBrowser : public QObject
{
    Q_OBJECT
public Q_SLOTS:
    void open(const QUrl &url)
    {
        QProcess::startDetached(QStringLiteral("/bin/sh"),
                                {QStringLiteral("-c"), qEnvironmentVariable("THYMARA_TEST_BROWSER"),
                                 QStringLiteral("browser"), url.toString()});
    }
};

void report(const QString &line)
{
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

QWidget *visibleWindow(const char *name)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == QLatin1String(name))
            return w;
    return nullptr;
}

void step()
{
    static QSet<QString> seen;
    static const QByteArray mode = qgetenv("THYMARA_AUTOPILOT");

    if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
        report(QStringLiteral("MESSAGE ") +
               box->text().replace(QLatin1Char('\n'), QLatin1Char('|')));
        QAbstractButton *button = box->defaultButton();
        if (!button)
            button = box->escapeButton();
        if (button)
            button->click();
        else
            box->accept();
        return;
    }

    for (const char *name : {"frmMain", "frmDisplay", "frmNagScreen2"}) {
        if (visibleWindow(name) && !seen.contains(QLatin1String(name))) {
            seen.insert(QLatin1String(name));
            report(QStringLiteral("SHOWN ") + QLatin1String(name));
        }
    }

    // The next number of the program's shared generator once start-up is over:
    // equal numbers in two runs mean start-up did not seed it from the clock.
    if (mode == "draw" && seen.contains(QStringLiteral("frmMain")) &&
        !seen.contains(QStringLiteral("draw"))) {
        seen.insert(QStringLiteral("draw"));
        report(QStringLiteral("DRAW %1").arg(common::randomBetween(0, 1 << 30)));
    }

    if (mode == "link" && !seen.contains(QStringLiteral("link"))) {
        QWidget *main = visibleWindow("frmMain");
        QAction *help = main ? main->findChild<QAction *>(QStringLiteral("mnuOnline")) : nullptr;
        if (!help)
            return;
        seen.insert(QStringLiteral("link"));
        report(QStringLiteral("CHOOSE mnuOnline"));
        help->trigger();
        return;
    }

    if (mode != "exit" && mode != "link")
        return;
    if (QWidget *main = visibleWindow("frmMain")) {
        main->close();
        return;
    }
    if (QWidget *exitWindow = visibleWindow("frmNagScreen2")) {
        if (auto *close = exitWindow->findChild<QAbstractButton *>(QStringLiteral("cmdClose"))) {
            report(QStringLiteral("PRESS cmdClose"));
            close->click();
        }
    }
}

void start()
{
    if (qEnvironmentVariableIsEmpty("THYMARA_AUTOPILOT"))
        return;
    if (!qEnvironmentVariableIsEmpty("THYMARA_TEST_BROWSER")) {
        auto *browser = new StandInBrowser;
        browser->setParent(QCoreApplication::instance());
        QDesktopServices::setUrlHandler(QStringLiteral("http"), browser, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), browser, "open");
    }
    auto *timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, timer, &step);
    timer->start(50);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(start)

#include "scripted_user.moc"
