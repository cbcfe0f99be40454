#pragma once

#include "platform/message_box.h"
#include "platform/process_exit.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QDialog;
class QWidget;

namespace form {
class FormWindow;
} // namespace form
namespace windows {
class MainWindow;
class ResultWindow;
} // namespace windows

namespace testsupport {

// The program's application-wide set-up, for a test's initTestCase().
void initialiseForTests();

// Catches every address the program hands to the browser, byte for byte, so
// no test ever starts a real browser.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    UrlRecorder();
    ~UrlRecorder() override;
    // From here on addresses go to the platform itself, as in the program.
    void stop();

    QStringList opened;

public Q_SLOTS:
    void open(const QUrl &url);
};

// Answers message boxes without showing them and remembers what they said.
// Answers queued with answerNext() are used first; after that Yes/No boxes
// get No and OK boxes OK.
class MessageRecorder
{
public:
    struct Shown
    {
        QString text;
        platform::MessageIcon icon;
        platform::MessageButtons buttons;
    };

    MessageRecorder();
    ~MessageRecorder();

    void answerNext(platform::MessageAnswer answer) { m_queued.append(answer); }
    QStringList texts() const;

    QList<Shown> shown;

private:
    QList<platform::MessageAnswer> m_queued;
    platform::MessageHandler m_replaced;
};

// Stands in for the end of the process: records the status instead.
class ExitRecorder
{
public:
    ExitRecorder();
    ~ExitRecorder();

    QList<int> statuses;

private:
    platform::ExitHandler m_replaced;
};

// What every window test stands in for: message boxes, the end of the
// process and the browser.
struct StandIns
{
    MessageRecorder messages;
    ExitRecorder exits;
    UrlRecorder urls;
};

// Base of the window tests: every test starts with fresh stand-ins and ends
// with every window closed and no message box left unexpected.
class WindowTest : public QObject
{
    Q_OBJECT
protected:
    StandIns &standIns() { return *m_standIns; }

    // A test class that needs more set-up declares its own init() and calls
    // this one first.
protected Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

private:
    std::unique_ptr<StandIns> m_standIns;
};

// The main window shown and active, as after start-up.
windows::MainWindow *openMain();
// Next pressed on it (in herb mode when asked): the result window, shown and active.
windows::ResultWindow *openResult(bool herbMode = false);
// One of the windows by the names the tests give them, shown and active as a
// user reaches it: "main", "result", "result, herb mode" or "exit".
form::FormWindow *openWindow(const QString &which);

// Answers the modal windows that open while it lives, from inside their own
// event loops: answer runs once for each new one and is expected to close it.
// Whatever modal window is still open after timeoutMs is closed, so that no
// test ever waits on a box nobody answers.
class ModalAnswerer
{
public:
    explicit ModalAnswerer(std::function<void(QWidget *)> answer, int timeoutMs = 5000);

    // How many modal windows it has met.
    int seen() const { return m_seen; }

private:
    QTimer m_poll;
    QTimer m_watchdog;
    QPointer<QWidget> m_current;
    int m_seen = 0;
};

// Chooses an About entry and, once the About window it opens is up, runs body
// on it and closes it if body left it open. Bounded; true when the window
// opened and is destroyed again.
bool withAbout(QAction *aboutEntry, const std::function<void(QDialog *)> &body);

// Object names of the program's windows that are on screen now, sorted.
QStringList visibleWindows();
// Program windows that still exist (shown or hidden, not yet closed), sorted.
QStringList existingWindows();

// Ends the "program" through EndApplication (an ExitRecorder must be alive)
// and waits, bounded, until every window is destroyed. False if one leaked.
bool closeEverything();

// Shows a window and waits, bounded, until it is exposed and active.
bool showAndActivate(QWidget *window);

// What a process test sets up in the program's own process, beyond the usual
// variables. A small helper (launch.cpp) makes it and then becomes the program,
// so that no code of the test runs between fork and exec, where it would share
// the test's memory.
struct ProcessSetup
{
    // Exactly these "NAME=value" variables, byte for byte, in place of the usual
    // ones: a home whose name is not UTF-8 cannot pass through a QString.
    std::optional<QByteArrayList> environment;
    QByteArray dir;         // where it starts; empty: where the test runs
    QList<int> closed;      // descriptors it starts without
    qint64 fileSizeLimit{}; // bytes; SIGXFSZ is then ignored. 0: none
    qint64 stackLimit{};    // bytes, which each new thread asks for as well. 0: as it is
};

// The real program, started as its own process with a scripted user built
// into it (see scripted_user.cpp), in a home of its own: its settings and
// its instance lock live under that directory.
class ProgramRun
{
public:
    ProgramRun(const QString &home, const QByteArray &mode);
    // The same, with variables set on top of the usual ones (PATH, say, so
    // that no real browser can be found).
    ProgramRun(const QString &home, const QByteArray &mode, const QProcessEnvironment &extra);
    // The same, set up as asked (on Unix only).
    ProgramRun(const QString &home, const QByteArray &mode, const QProcessEnvironment &extra,
               const ProcessSetup &setup);
    ~ProgramRun();

    static bool available();
    // Waits, bounded, until the program has printed this line.
    bool waitForLine(const QString &line, int timeoutMs);
    bool waitForExit(int timeoutMs);
    QStringList lines();

    QProcess process;

private:
    QStringList m_lines;
    QByteArray m_pending;
};

// How long a test waits for a started program to reach a point: generous for
// a loaded machine; a healthy run takes less than a second.
constexpr int processBound = 15000;

// A file's bytes (empty when it cannot be read), and a whole file written
// anew, its folder made first.
QByteArray fileBytes(const QString &path);
bool putFile(const QString &path, const QByteArray &bytes);

// The directories a ProgramRun with this home uses.
QString runtimeDirFor(const QString &home);
QString settingsFileFor(const QString &home);

} // namespace testsupport
