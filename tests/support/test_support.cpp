#include "support/test_support.h"

#include "app/application.h"
#include "app/shutdown.h"
#include "platform/process_exit.h"
#include "windows/exit_window.h"
#include "windows/main_window.h"
#include "windows/result_window.h"
#include "windows/window_registry.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace testsupport {
namespace {
// The offscreen platform cannot tell the window system about fixed sizes and
// says so every time a window is shown; that says nothing about the program.
QtMessageHandler previousHandler = nullptr;
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("This plugin does not support propagateSizeHints")) ||
        message.startsWith(QLatin1String("This plugin does not support raise")))
        return;
    previousHandler(type, context, message);
}
} // namespace

void initialiseForTests()
{
    app::initialiseApplication();
    if (!previousHandler)
        previousHandler = qInstallMessageHandler(quietHandler);
}

UrlRecorder::UrlRecorder()
{
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
}

UrlRecorder::~UrlRecorder()
{
    stop();
}

void UrlRecorder::stop()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

void UrlRecorder::open(const QUrl &url)
{
    opened.append(QString::fromLatin1(url.toEncoded()));
}

MessageRecorder::MessageRecorder()
{
    m_replaced = platform::setMessageHandler(
        [this](const QString &text, platform::MessageIcon icon, platform::MessageButtons buttons) {
            shown.append({text, icon, buttons});
            if (!m_queued.isEmpty())
                return m_queued.takeFirst();
            return buttons == platform::MessageButtons::YesNo ? platform::MessageAnswer::No
                                                              : platform::MessageAnswer::Ok;
        });
}

MessageRecorder::~MessageRecorder()
{
    platform::setMessageHandler(std::move(m_replaced));
}

QStringList MessageRecorder::texts() const
{
    QStringList all;
    for (const Shown &s : shown)
        all.append(s.text);
    return all;
}

ExitRecorder::ExitRecorder()
{
    m_replaced = platform::setExitHandler([this](int status) { statuses.append(status); });
}

ExitRecorder::~ExitRecorder()
{
    platform::setExitHandler(std::move(m_replaced));
}

void WindowTest::initTestCase()
{
    initialiseForTests();
}

void WindowTest::init()
{
    // Old stand-ins go before new ones come: each puts back what it replaced.
    m_standIns.reset();
    m_standIns = std::make_unique<StandIns>();
}

void WindowTest::cleanup()
{
    // A failed check returns from here at once; the stand-ins go all the same.
    const auto release = qScopeGuard([this] { m_standIns.reset(); });
    QVERIFY(closeEverything());
    QCOMPARE(m_standIns->messages.texts(), QStringList());
}

windows::MainWindow *openMain()
{
    windows::MainWindow *main = windows::frmMain();
    showAndActivate(main);
    return main;
}

windows::ResultWindow *openResult(bool herbMode)
{
    windows::MainWindow *main = openMain();
    if (herbMode)
        main->Option1()->click();
    main->cmdNext()->click();
    showAndActivate(windows::existingDisplay());
    return windows::existingDisplay();
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool putFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

form::FormWindow *openWindow(const QString &which)
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

ModalAnswerer::ModalAnswerer(std::function<void(QWidget *)> answer, int timeoutMs)
{
    QObject::connect(&m_poll, &QTimer::timeout, [this, answer = std::move(answer)] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == m_current)
            return;
        m_current = modal;
        ++m_seen;
        answer(modal);
    });
    m_poll.start(10);
    m_watchdog.setSingleShot(true);
    QObject::connect(&m_watchdog, &QTimer::timeout, [] {
        for (int i = 0; i < 5 && QApplication::activeModalWidget(); ++i)
            QApplication::activeModalWidget()->close();
    });
    m_watchdog.start(timeoutMs);
}

bool withAbout(QAction *aboutEntry, const std::function<void(QDialog *)> &body)
{
    QPointer<QDialog> seen;
    const ModalAnswerer answerer([&](QWidget *modal) {
        seen = qobject_cast<QDialog *>(modal);
        if (!seen)
            return;
        body(seen);
        if (seen)
            seen->reject();
    });
    aboutEntry->trigger(); // answers at once; the window opens right after
    return QTest::qWaitFor([&] { return answerer.seen() > 0 && seen.isNull(); }, 6000);
}

QStringList visibleWindows()
{
    QStringList names;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && !w->objectName().isEmpty() && !w->inherits("QMenu"))
            names.append(w->objectName());
    names.sort();
    return names;
}

QStringList existingWindows()
{
    QStringList names;
    for (QWidget *w : windows::existingWindows())
        names.append(w->objectName());
    names.sort();
    return names;
}

bool closeEverything()
{
    // In the program the process ends here; a test goes on, so windows that
    // close handlers brought up meanwhile are closed by the next round.
    for (int round = 0; round < 4 && !windows::existingWindows().isEmpty(); ++round)
        app::EndApplication();
    return QTest::qWaitFor(
        [] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (!w->inherits("QMenu"))
                    return false;
            return true;
        },
        5000);
}

bool showAndActivate(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window, 5000);
}

QString runtimeDirFor(const QString &home)
{
    return QDir(home).filePath(QStringLiteral("runtime"));
}

QString settingsFileFor(const QString &home)
{
    return QDir(home).filePath(QStringLiteral(".config/thymara/thymara.conf"));
}

bool ProgramRun::available()
{
#ifdef THYMARA_SCRIPTED_EXECUTABLE
    return QFile::exists(QStringLiteral(THYMARA_SCRIPTED_EXECUTABLE));
#else
    return false;
#endif
}

ProgramRun::ProgramRun(const QString &home, const QByteArray &mode)
    : ProgramRun(home, mode, QProcessEnvironment())
{
}

ProgramRun::ProgramRun(const QString &home, const QByteArray &mode,
                       const QProcessEnvironment &extra)
    : ProgramRun(home, mode, extra, ProcessSetup())
{
}

ProgramRun::ProgramRun(const QString &home, const QByteArray &mode,
                       const QProcessEnvironment &extra, const ProcessSetup &setup)
{
#ifdef THYMARA_SCRIPTED_EXECUTABLE
    const QString runtime = runtimeDirFor(home);
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QDir(home).filePath(QStringLiteral(".config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("THYMARA_AUTOPILOT"), QString::fromLatin1(mode));
    env.insert(extra);
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    QStringList steps;
    const auto step = [&](const QByteArray &bytes) {
        steps << QString::fromLatin1(bytes.toPercentEncoding());
    };
    for (const QByteArray &variable : setup.environment.value_or(QByteArrayList()))
        step("env=" + variable);
    if (setup.environment && setup.environment->isEmpty())
        step("env=");
    if (!setup.dir.isEmpty())
        step("dir=" + setup.dir);
    for (const int fd : setup.closed)
        step("close=" + QByteArray::number(fd));
    if (setup.fileSizeLimit > 0)
        step("fsize=" + QByteArray::number(setup.fileSizeLimit));
    if (setup.stackLimit > 0)
        step("stack=" + QByteArray::number(setup.stackLimit));
    if (steps.isEmpty()) {
        process.start(QStringLiteral(THYMARA_SCRIPTED_EXECUTABLE), {});
    } else {
        step("--");
        step(THYMARA_SCRIPTED_EXECUTABLE);
        process.start(QStringLiteral(THYMARA_LAUNCH_EXECUTABLE), steps);
    }
    process.waitForStarted(5000);
#else
    Q_UNUSED(home);
    Q_UNUSED(mode);
    Q_UNUSED(extra);
    Q_UNUSED(setup);
#endif
}

ProgramRun::~ProgramRun()
{
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    }
}

QStringList ProgramRun::lines()
{
    m_pending += process.readAllStandardOutput();
    qsizetype end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        m_lines.append(QString::fromUtf8(m_pending.left(end)));
        m_pending.remove(0, end + 1);
    }
    return m_lines;
}

bool ProgramRun::waitForLine(const QString &line, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!lines().contains(line)) {
        if (clock.elapsed() > timeoutMs)
            return false;
        if (process.state() == QProcess::NotRunning) {
            lines();
            return m_lines.contains(line);
        }
        process.waitForReadyRead(100);
    }
    return true;
}

bool ProgramRun::waitForExit(int timeoutMs)
{
    const bool finished =
        process.state() == QProcess::NotRunning || process.waitForFinished(timeoutMs);
    lines();
    return finished;
}

} // namespace testsupport
