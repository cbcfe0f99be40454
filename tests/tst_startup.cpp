// Start-up: the update reminder, the offer rotation on the main window, and the
// single-copy guard of the real executable.

#include "app/cobrand.h"
#include "app/startup.h"
#include "common/random.h"
#include "forms/form_label.h"
#include "platform/instance_lock.h"
#include "platform/settings_store.h"
#include "support/test_support.h"
#include "support/web_pages.h"
#include "windows/main_window.h"
#include "windows/result_window.h"
#include "windows/window_registry.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <memory>
#include <utility>
#include <vector>

#ifdef Q_OS_UNIX
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
extern char **environ;
#endif

using namespace testsupport;
using platform::MessageAnswer;

namespace {
const QString download = pages::download();
const QString coBrandPage = pages::coBrand();
const QString fullBrandPage = pages::fullyBranded();
const QString question = QStringLiteral("There maybe an update to this software available\r"
                                        "Do you want to check for an update?");
void writeDuration(const QString &path, const QString &duration)
{
    QVERIFY(putFile(path, "[Settings]\nDuration=" + duration.toUtf8() + "\n"));
}

bool makeFifo(const QString &path)
{
#ifdef Q_OS_UNIX
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
#else
    Q_UNUSED(path);
    return false;
#endif
}

// What lies at path, without opening it.
QString describe(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return "a link to " + info.symLinkTarget();
    if (info.isDir())
        return QStringLiteral("a directory");
    if (info.isFile())
        return QStringLiteral("a file of %1 bytes").arg(info.size());
    return info.exists() ? QStringLiteral("something else") : QStringLiteral("nothing");
}

// The reminder date as it lies in the file, read past any settings cache.
QString durationOnDisk(const QString &path)
{
    for (const QByteArray &line : fileBytes(path).split('\n'))
        if (line.startsWith("Duration="))
            return QString::fromUtf8(line.mid(9).trimmed());
    return {};
}

// What a person hitting the offer would reach, the offer in front; with click, they hit it.
QString offerInFront(QWidget *window, bool click = false)
{
    auto *label = window->findChild<QWidget *>(QStringLiteral("lblCobrand"));
    const QPoint spot = label->mapTo(window, label->rect().center());
    QWidget *hit = window->childAt(spot);
    if (click)
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, spot);
    return hit ? hit->objectName() : QString();
}

// The real store, or one whose writes fail; it notes how many pages were open
// at each write, as the page may only open once today is safely stored.
struct WatchedStore final : platform::SettingsStore
{
    WatchedStore(const QString &ini, const QStringList &pages) : real(ini), pages(pages) {}
    std::optional<QString> read(const QString &s, const QString &n) override
    {
        return real.read(s, n);
    }
    bool write(const QString &s, const QString &n, const QString &v) override
    {
        pagesOpenAtWrite.append(pages.size());
        return !failing && real.write(s, n, v);
    }
    platform::NativeSettingsStore real;
    const QStringList &pages;
    bool failing = false;
    QList<qsizetype> pagesOpenAtWrite;
};

#ifdef Q_OS_UNIX
// A settings lock in the form QLockFile leaves it, naming a process.
QByteArray lockNaming(qint64 pid, const QByteArray &program = "thymara")
{
    return QByteArray::number(pid) + '\n' + program + '\n' + QSysInfo::machineHostName().toUtf8() +
           '\n' + QSysInfo::machineUniqueId() + '\n' + QSysInfo::bootUniqueId() + '\n';
}

// Waits, bounded, until a start is refused or shows its window.
bool settles(ProgramRun &run)
{
    return QTest::qWaitFor(
        [&] {
            return run.process.state() == QProcess::NotRunning ||
                   run.lines().contains(QStringLiteral("SHOWN frmMain"));
        },
        processBound);
}

// The program started with an environment given byte for byte: variables a
// QString cannot hold (a home that is not UTF-8), or ones taken away. changes
// holds "NAME=value" to set and "-NAME" to take away, on top of what
// ProgramRun sets; "<home>" in a value stands for home. The program starts in
// folder dir (relative to home) when one is given, and set up as setup asks.
std::unique_ptr<ProgramRun> startWith(const QString &home, const QByteArray &mode,
                                      const QList<QByteArray> &changes, const QByteArray &dir = {},
                                      ProcessSetup setup = {})
{
#ifdef THYMARA_SCRIPTED_EXECUTABLE
    const QByteArray root = QFile::encodeName(home);
    QList<QByteArray> vars{"HOME=" + root,
                           "XDG_CONFIG_HOME=" + root + "/.config",
                           "XDG_RUNTIME_DIR=" + QFile::encodeName(runtimeDirFor(home)),
                           "QT_QPA_PLATFORM=offscreen",
                           "THYMARA_AUTOPILOT=" + mode,
                           "PATH=" + root + "/no-programs",
                           "BROWSER=false"};
    for (QByteArray change : changes) {
        change.replace("<home>", root);
        const QByteArray name =
            change.startsWith('-') ? change.mid(1) : change.left(change.indexOf('='));
        vars.removeIf([&](const QByteArray &v) { return v.startsWith(name + '='); });
        if (!change.startsWith('-'))
            vars.append(change);
    }
    for (char **v = environ; *v; ++v) {
        const QByteArray var(*v);
        const QByteArray name = var.left(var.indexOf('='));
        const bool ours = name == "HOME" || name == "PATH" || name == "BROWSER" ||
                          name.startsWith("XDG_") || name.startsWith("QT_QPA") ||
                          name.startsWith("THYMARA_") || name == "DISPLAY" ||
                          name.startsWith("WAYLAND_");
        if (!ours)
            vars.append(var);
    }
    setup.environment = vars;
    setup.dir = dir.isEmpty() ? QByteArray() : root + '/' + dir;
    return std::make_unique<ProgramRun>(home, mode, QProcessEnvironment(), setup);
#else
    Q_UNUSED(home);
    Q_UNUSED(mode);
    Q_UNUSED(changes);
    Q_UNUSED(dir);
    Q_UNUSED(setup);
    return nullptr;
#endif
}
#endif

#ifdef Q_OS_UNIX
// What lies in a folder, as names in bytes (QDir would decode them), sorted;
// sub-folders as "name/".
QList<QByteArray> entriesOf(const QByteArray &dir)
{
    QList<QByteArray> names;
    if (DIR *folder = ::opendir(dir.constData())) {
        while (const dirent *entry = ::readdir(folder)) {
            const QByteArray name(entry->d_name);
            if (name == "." || name == "..")
                continue;
            struct stat status;
            const bool isDir =
                ::lstat((dir + '/' + name).constData(), &status) == 0 && S_ISDIR(status.st_mode);
            names << name + (isDir ? "/" : "");
        }
        ::closedir(folder);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The id of a process that has just ended, and whose id no other process has
// taken yet: ids are handed out in turn.
qint64 endedProcessId()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}
#endif
} // namespace

class TestStartup : public WindowTest
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup()
    {
        QLocale::setDefault(QLocale::system());
        WindowTest::cleanup();
    }

    // The copy lock stays for good once made, so it must not land in the home
    // folder itself, as it did on Windows, where Qt's runtime folder is the
    // profile. Its folder may not exist yet on a first start.
    void copyLockLiesInAFolderOfItsOwn()
    {
        const QFileInfo lock(platform::defaultInstanceLockPath());
        QVERIFY2(lock.isAbsolute(), qPrintable(lock.filePath()));
        QVERIFY2(QDir(lock.absolutePath()) != QDir(QDir::homePath()), qPrintable(lock.filePath()));

        QTemporaryDir root;
        const QString fresh = root.filePath(QStringLiteral("not/yet/thymara.lock"));
        QVERIFY(platform::acquireInstanceLock(fresh));
        const bool made = QFileInfo(fresh).isFile();
        platform::releaseInstanceLock();
        QVERIFY2(made, "the lock's folder was not made");
    }

    void reminder_data()
    {
        // null: no settings file; "<dir>": a directory there; "<bytes>...": the whole file,
        // percent-encoded
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("writeFails");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("asks");
        // Rows run in several locales: the date on disk must not depend on them.
        QTest::addColumn<QString>("locale");
        // Today is 2024-03-05, so a leap February lies in the window.
        QTest::newRow("no entry") << QString() << false << true << false << "de_DE";
        QTest::newRow("14 days back") << "2024-02-20" << false << true << false << "ar_EG";
        QTest::newRow("14 days ahead") << "2024-03-19" << false << true << false << "fa_IR";
        QTest::newRow("15 days back, Yes") << "2024-02-19" << false << true << true << "ar_EG";
        QTest::newRow("15 days back, No") << "2024-02-19" << false << false << true << "en_US";
        QTest::newRow("15 days ahead, Yes") << "2024-03-20" << false << true << true << "de_DE";
        QTest::newRow("15 days ahead, No") << "2024-03-20" << false << false << true << "fa_IR";
        QTest::newRow("not a date") << "soon" << false << true << false << "en_US";
        QTest::newRow("a comma") << "5,3,2024" << false << true << false << "de_DE";
        // A store that cannot keep the date: the page opens all the same, and the reminder
        // comes back; no complaint.
        QTest::newRow("write fails after Yes") << "2024-02-19" << true << true << true << "en_US";
        QTest::newRow("file is a directory") << "<dir>" << false << true << false << "en_US";
        // A due date the program cannot read with certainty: nothing asked, not a byte changed.
        QTest::newRow("not text before the entry")
            << "<bytes>%01%FE[Settings]%0ADuration=2024-02-19%0A" << false << true << false
            << "en_US";
        QTest::newRow("not text after the entry")
            << "<bytes>[Settings]%0ADuration=2024-02-19%0A%FF%FE%00%0A" << false << true << false
            << "en_US";
        QTest::newRow("a line that is no entry")
            << "<bytes>[Settings]%0ADuration=2024-02-19%0A%22half" << false << true << false
            << "en_US";
    }
    void reminder()
    {
        QFETCH(QString, stored);
        QFETCH(bool, writeFails);
        QFETCH(bool, yes);
        QFETCH(bool, asks);
        QFETCH(QString, locale);
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("thymara.conf"));
        const bool isDir = stored == QLatin1String("<dir>");
        if (isDir) {
            QVERIFY(QDir().mkpath(ini));
        } else if (stored.startsWith(QLatin1String("<bytes>"))) {
            QFile file(ini);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray::fromPercentEncoding(stored.mid(7).toLatin1()));
        } else if (!stored.isNull()) {
            writeDuration(ini, stored);
        }
        const QByteArray before = fileBytes(ini);
        QLocale::setDefault(QLocale(locale));
        UrlRecorder &urls = standIns().urls;
        MessageRecorder &messages = standIns().messages;
        messages.answerNext(yes ? MessageAnswer::Yes : MessageAnswer::No);
        WatchedStore store(ini, urls.opened);
        store.failing = writeFails;
        app::ShowUpdateReminder(store, QDate(2024, 3, 5));

        // Taken out: every box here was expected.
        const auto shown = std::exchange(messages.shown, {});
        QCOMPARE(shown.size(), qsizetype(asks));
        for (const auto &box : shown) {
            QCOMPARE(box.text, question);
            QVERIFY(box.icon == platform::MessageIcon::Information &&
                    box.buttons == platform::MessageButtons::YesNo);
        }
        const bool writes = asks || stored.isNull() || isDir;
        QCOMPARE(store.pagesOpenAtWrite, writes ? QList<qsizetype>{0} : QList<qsizetype>());
        const bool stores = writes && !writeFails && !isDir;
        if (stores)
            QCOMPARE(durationOnDisk(ini), QStringLiteral("2024-03-05"));
        else
            QCOMPARE(fileBytes(ini), before);
        QCOMPARE(urls.opened, asks && yes ? QStringList{download} : QStringList());
    }

    void offers()
    {
        UrlRecorder &urls = standIns().urls;
        const MessageRecorder &messages = standIns().messages;
        windows::MainWindow *main = windows::frmMain();
        QVERIFY(showAndActivate(main));
        // Many draws on one window: each brings its own offer forward, both about evenly.
        QSet<int> draws;
        int coBrand = 0;
        for (std::uint32_t seed = 0; seed < 200; ++seed) {
            common::seedRandom(seed);
            app::CoBrand_Randomize();
            const int drawn = app::intCoBrandRandomNumber;
            draws.insert(drawn);
            coBrand += drawn % 2;
            QVERIFY2(offerInFront(main) == (drawn % 2 ? "lblCobrand" : "lblFullBrand"),
                     qPrintable(QStringLiteral("seed %1, draw %2").arg(seed).arg(drawn)));
        }
        QCOMPARE(draws, (QSet<int>{1, 2, 3, 4, 5, 6}));
        QVERIFY2(coBrand > 70 && coBrand < 130, qPrintable(QString::number(coBrand)));
        QCOMPARE(main->lblCobrand()->geometry(), main->lblFullBrand()->geometry());
        QVERIFY(main->lblCobrand()->isVisible() && main->lblFullBrand()->isVisible());

        // The offer in front takes the click and stays there through a visit to the
        // result window, which keeps the stacking of its own layout.
        for (const QString &front : QStringList{"lblCobrand", "lblFullBrand"}) {
            for (std::uint32_t seed = 0; offerInFront(main) != front && seed < 50; ++seed) {
                common::seedRandom(seed);
                app::CoBrand_Randomize();
            }
            const QString page = front == "lblCobrand" ? coBrandPage : fullBrandPage;
            urls.opened.clear();
            QCOMPARE(offerInFront(main, true), front);
            main->cmdNext()->click();
            windows::ResultWindow *display = windows::existingDisplay();
            QVERIFY(display && showAndActivate(display));
            QCOMPARE(offerInFront(display, true), QStringLiteral("lblCobrand"));
            display->cmdBack()->click();
            QTRY_COMPARE(visibleWindows(), QStringList{QStringLiteral("frmMain")});
            QCOMPARE(windows::existingMain(), main);
            QCOMPARE(offerInFront(main, true), front);
            QCOMPARE(urls.opened, (QStringList{page, coBrandPage, page}));
        }
        QVERIFY(messages.shown.isEmpty());
    }

    // A start that forgot to seed the generator from the clock would show the
    // same offer every time: two starts must not continue the same sequence.
    void programSeedsItsGeneratorAtEveryStart()
    {
        if (!ProgramRun::available())
            QSKIP("the scripted program is not built here");
        QStringList draws;
        for (int run = 0; run < 2; ++run) {
            QTemporaryDir home;
            ProgramRun program(home.path(), "draw");
            QVERIFY(program.waitForLine(QStringLiteral("SHOWN frmMain"), processBound));
            QTRY_VERIFY_WITH_TIMEOUT(!program.lines().filter(QStringLiteral("DRAW ")).isEmpty(),
                                     processBound);
            draws += program.lines().filter(QStringLiteral("DRAW "));
        }
        QCOMPARE(draws.size(), 2);
        QVERIFY2(draws[0] != draws[1], qPrintable(draws.join(QLatin1Char(' '))));
    }

    // Whatever lies in the place of the settings file, of its lock or of the lock of the
    // copy that runs (a lock nobody will ever release, a FIFO nobody writes to, a pipe, a
    // device that never ends, a huge file), the start neither hangs nor is refused, nothing
    // there is changed, the date is not written where it cannot be, and a second copy is
    // still refused.
    void strangeFilesNeverBlockAStart_data()
    {
        QTest::addColumn<QString>("where"); // "settings", "settings lock" or "copy lock"
        QTest::addColumn<QString>("what");
        QTest::addColumn<bool>("dated"); // a reminder date 30 days old, else no settings
        const QStringList strange{"FIFO", "pipe", "zero device", "10 GB sparse file"};
        const QString lock = QStringLiteral("settings lock");
        QTest::newRow("settings lock a directory, due date") << lock << "directory" << true;
        QTest::newRow("settings lock a directory, first start") << lock << "directory" << false;
        QTest::newRow("settings lock of another user, due date") << lock << "other user" << true;
        QTest::newRow("settings folder read-only, due date") << "settings folder"
                                                             << "read-only" << true;
        for (const QString &what : strange) {
            QTest::addRow("settings lock a %s, due date", qPrintable(what)) << lock << what << true;
            QTest::addRow("settings a %s", qPrintable(what)) << "settings" << what << false;
        }
        QTest::newRow("settings lock a FIFO, first start") << "settings lock"
                                                           << "FIFO" << false;
        // Taking the lock of a copy that died means removing it, which goes through a lock
        // of its own beside it; a FIFO there held every start in open() for good.
        QTest::newRow("settings lock of a dead copy, its removal lock a FIFO, due date")
            << lock << "dead copy, FIFO beside" << true;
        QTest::newRow("copy lock a directory") << "copy lock"
                                               << "directory" << false;
        QTest::newRow("copy lock of another user") << "copy lock"
                                                   << "other user" << false;
        QTest::newRow("copy lock a FIFO") << "copy lock"
                                          << "FIFO" << false;
    }
    void strangeFilesNeverBlockAStart()
    {
        if (!ProgramRun::available())
            QSKIP("the program and its autopilot are not built here");
        QFETCH(QString, where);
        QFETCH(QString, what);
        QFETCH(bool, dated);
        QTemporaryDir home;
        QProcessEnvironment env; // never lets a child find a browser to start
        env.insert(QStringLiteral("PATH"), home.filePath(QStringLiteral("no-programs")));
        env.insert(QStringLiteral("BROWSER"), QStringLiteral("false"));
        const QString settings = settingsFileFor(home.path());
        QDir().mkpath(QFileInfo(settings).absolutePath());
        QDir().mkpath(runtimeDirFor(home.path()));
        if (dated)
            writeDuration(settings, QDate::currentDate().addDays(-30).toString(Qt::ISODate));
        const QString path = where == "settings"        ? settings
                             : where == "settings lock" ? settings + ".lock"
                             : where == "settings folder"
                                 ? QFileInfo(settings).absolutePath()
                                 : QDir(runtimeDirFor(home.path())).filePath("thymara.lock");
        const auto writable = qScopeGuard([&] {
            if (what == "read-only") // for the temporary folder's removal
                QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        if (what == "read-only") {
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner));
            if (QFile(path + "/probe").open(QIODevice::WriteOnly))
                QSKIP(
                    "this account may write into any folder; a read-only one cannot be made here");
        } else if (what == "directory") {
            QVERIFY(QDir().mkpath(path));
        } else if (what == "other user") {
            // As another user's run leaves it: naming a process that is gone, and closed to us.
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("999999\nthymara\nelsewhere\n");
            file.close();
            QVERIFY(file.setPermissions({}));
            if (file.open(QIODevice::ReadOnly))
                QSKIP("this account may open any file; another user's lock cannot be made here");
        } else if (what == "FIFO") {
            QVERIFY(makeFifo(path));
        } else if (what == "dead copy, FIFO beside") {
#ifdef Q_OS_UNIX
            QVERIFY(putFile(path, lockNaming(endedProcessId())));
            QVERIFY(makeFifo(path + ".rmlock"));
#else
            QSKIP("FIFOs are a Unix thing");
#endif
        } else if (what == "pipe") {
            QVERIFY(QFile::link(QStringLiteral("/dev/stdin"), path)); // the program's is a pipe
        } else if (what == "zero device") {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            if (!file.resize(qint64(10) << 30))
                QSKIP("this file system holds no 10 GB sparse file");
        }
        const QByteArray before = where == "settings" ? QByteArray() : fileBytes(settings);
        const QString thing = describe(path);

        ProgramRun first(home.path(), "idle", env);
        QVERIFY2(first.waitForLine(QStringLiteral("SHOWN frmMain"), processBound),
                 qPrintable("no window: " + first.lines().join(" / ")));
        const QString asked = "MESSAGE " + QString(question).replace('\r', '|');
        const QStringList shown{"SHOWN frmMain"};
        QCOMPARE(first.lines(), dated ? QStringList{asked} + shown : shown);
        QCOMPARE(describe(path), thing);
        // The date could not be written: it stays. Yes, the default, opens the page all the same.
        if (where == "settings lock" || where == "settings folder")
            QCOMPARE(fileBytes(settings), before);
        QByteArray errors;
        const bool opened = QTest::qWaitFor(
            [&] {
                errors += first.process.readAllStandardError();
                return errors.contains(download.toLatin1());
            },
            dated ? processBound : 0);
        QVERIFY2(opened == dated, errors.constData());

        ProgramRun second(home.path(), "idle", env);
        QVERIFY(second.waitForExit(processBound));
        QCOMPARE(second.lines(), QStringList{"MESSAGE Application is already running"});
        QCOMPARE(first.process.state(), QProcess::Running);
    }

    // The browser that a link starts lives on after the program ends. The copy guard must
    // not live on in it, or every start would be refused while that browser runs.
    void browserOfAnEndedCopyDoesNotHoldTheLock()
    {
        if (!ProgramRun::available())
            QSKIP("the program and its autopilot are not built here");
#ifdef Q_OS_UNIX
        QTemporaryDir home;
        writeDuration(settingsFileFor(home.path()), QDate::currentDate().toString(Qt::ISODate));
        const QString pidFile = home.filePath(QStringLiteral("browser.pid"));
        QProcessEnvironment env;
        env.insert(QStringLiteral("PATH"), home.filePath(QStringLiteral("no-programs")));
        env.insert(QStringLiteral("THYMARA_TEST_BROWSER"),
                   QStringLiteral("echo $$ > '%1'; exec /bin/sleep 60").arg(pidFile));
        pid_t browser = 0;
        const auto endBrowser = qScopeGuard([&] {
            if (browser > 0)
                ::kill(browser, SIGKILL);
        });
        {
            ProgramRun first(home.path(), "link", env);
            QVERIFY(first.waitForExit(processBound));
            QVERIFY2(first.lines().contains(QStringLiteral("CHOOSE mnuOnline")) &&
                         first.lines().contains(QStringLiteral("PRESS cmdClose")),
                     qPrintable(first.lines().join(" / ")));
        }
        QVERIFY(QTest::qWaitFor(
            [&] { return (browser = pid_t(fileBytes(pidFile).trimmed().toInt())) > 0; },
            processBound));
        QVERIFY2(::kill(browser, 0) == 0, "the stand-in browser is gone already");

        ProgramRun next(home.path(), "idle", env);
        QVERIFY2(next.waitForLine(QStringLiteral("SHOWN frmMain"), processBound),
                 qPrintable("refused while the browser of the copy before runs: " +
                            next.lines().join(" / ")));
        QVERIFY2(::kill(browser, 0) == 0, "the stand-in browser ended during the check");
#else
        QSKIP("starts a stand-in browser through /bin/sh");
#endif
    }

    // Copies started at the same instant: exactly one runs, every other one is refused.
    void tenStartsAtOnce()
    {
        if (!ProgramRun::available())
            QSKIP("the program and its autopilot are not built here");
        QTemporaryDir home;
        QProcessEnvironment env;
        env.insert(QStringLiteral("PATH"), home.filePath(QStringLiteral("no-programs")));
        writeDuration(settingsFileFor(home.path()), QDate::currentDate().toString(Qt::ISODate));
        std::vector<std::unique_ptr<ProgramRun>> runs;
        for (int i = 0; i < 10; ++i)
            runs.push_back(std::make_unique<ProgramRun>(home.path(), "idle", env));
        const auto settled = [&](ProgramRun &run) {
            return run.process.state() == QProcess::NotRunning ||
                   run.lines().contains(QStringLiteral("SHOWN frmMain"));
        };
        QVERIFY(QTest::qWaitFor(
            [&] {
                return std::all_of(runs.begin(), runs.end(),
                                   [&](auto &run) { return settled(*run); });
            },
            4 * processBound));
        QStringList outcomes;
        for (auto &run : runs)
            outcomes << run->lines().join(" / ");
        outcomes.sort();
        QStringList expected(9, "MESSAGE Application is already running");
        expected << "SHOWN frmMain";
        QCOMPARE(outcomes, expected);
    }

    // A second copy is refused while the first runs, however long it has run. A lock file
    // nobody holds, the killed copy's or an empty one, lets the next start through; that
    // start asks about updates before any window, and Yes, the default, goes on without a
    // browser.
    void programKeepsToOneCopy_data()
    {
        QTest::addColumn<bool>("firstCopy"); // else the lock is an empty file
        QTest::newRow("second copy, then the first killed") << true;
        QTest::newRow("empty lock file") << false;
    }
    void programKeepsToOneCopy()
    {
        if (!ProgramRun::available())
            QSKIP("the scripted program is not built here");
        QFETCH(bool, firstCopy);
        QTemporaryDir home;
        QProcessEnvironment env; // never lets a child find a browser to start
        env.insert(QStringLiteral("PATH"), home.filePath(QStringLiteral("no-programs")));
        env.insert(QStringLiteral("BROWSER"), QStringLiteral("false"));
        const QString lock = QDir(runtimeDirFor(home.path())).filePath("thymara.lock");
        const QString settings = settingsFileFor(home.path());
        const QString startDay = QDate::currentDate().toString(Qt::ISODate);
        const QString due = QDate::currentDate().addDays(-15).toString(Qt::ISODate);
        if (firstCopy) {
            ProgramRun first(home.path(), "idle", env);
            QVERIFY(first.waitForLine(QStringLiteral("SHOWN frmMain"), processBound));
            // A date the reminder acts on: a copy that got that far would ask and write.
            writeDuration(settings, due);
            const QByteArray before = fileBytes(settings);
            for (int waitMs : {0, 2500}) {
                QTest::qWait(waitMs);
                ProgramRun second(home.path(), "idle", env);
                QVERIFY(second.waitForExit(processBound));
                QCOMPARE(second.lines(), QStringList{"MESSAGE Application is already running"});
                QVERIFY(second.process.exitStatus() == QProcess::NormalExit &&
                        second.process.exitCode() == 0);
            }
            QCOMPARE(fileBytes(settings), before);
            QCOMPARE(first.process.state(), QProcess::Running);
            QCOMPARE(first.lines(), QStringList{"SHOWN frmMain"});
            first.process.kill();
            QVERIFY(first.waitForExit(processBound));
        } else {
            writeDuration(settings, due);
            QDir().mkpath(runtimeDirFor(home.path()));
            QVERIFY(QFile(lock).open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::exists(lock));

        ProgramRun next(home.path(), "exit", env);
        QVERIFY(next.waitForLine(QStringLiteral("SHOWN frmMain"), 6000));
        QVERIFY(next.waitForExit(processBound));
        QCOMPARE(next.lines(),
                 (QStringList{"MESSAGE " + QString(question).replace('\r', '|'), "SHOWN frmMain",
                              "SHOWN frmNagScreen2", "PRESS cmdClose"}));
        QVERIFY(next.process.exitStatus() == QProcess::NormalExit && next.process.exitCode() == 0);
        // The offscreen platform cannot open pages and names the one it was given.
        QVERIFY(next.process.readAllStandardError().contains(download.toLatin1()));
        // Today, or the next day should the run have crossed midnight.
        const QStringList today{startDay, QDate::currentDate().toString(Qt::ISODate)};
        QVERIFY2(today.contains(durationOnDisk(settings)), qPrintable(durationOnDisk(settings)));
    }

    // A start writes its date while the settings lock is switched, again and again, between
    // the lock of a live process and a FIFO. Whatever it finds from one look to the next,
    // it neither hangs nor writes without the lock. Each start had most chances to meet the
    // switch between a look and an open: it hung 4 of 5 starts on code that had that gap.
    void lockSwitchedUnderAStart()
    {
        if (!ProgramRun::available())
            QSKIP("the program and its autopilot are not built here");
#ifdef Q_OS_UNIX
        QTemporaryDir home;
        const QString settings = settingsFileFor(home.path());
        writeDuration(settings, QDate::currentDate().addDays(-30).toString(Qt::ISODate));
        const QByteArray before = fileBytes(settings);
        const QByteArray lock = QFile::encodeName(settings + ".lock");
        const QByteArray live = lock + ".live", fifo = lock + ".fifo", next = lock + ".next";
        // This process is alive and runs the program the lock names.
        const QByteArray self =
            QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8();
        QVERIFY(
            putFile(QFile::decodeName(live), lockNaming(QCoreApplication::applicationPid(), self)));
        QVERIFY(makeFifo(QFile::decodeName(fifo)));
        std::atomic<bool> stop{false};
        std::atomic<int> switches{0};
        std::thread switcher([&] {
            while (!stop) {
                for (const QByteArray *from : {&live, &fifo}) {
                    ::link(from->constData(), next.constData());
                    ::rename(next.constData(), lock.constData());
                    std::this_thread::yield();
                }
                ++switches;
            }
        });
        const auto stopSwitching = qScopeGuard([&] {
            stop = true;
            switcher.join();
        });
        for (int start = 1; start <= 5; ++start) {
            ProgramRun run(home.path(), "idle");
            QVERIFY2(
                run.waitForLine(QStringLiteral("SHOWN frmMain"), processBound),
                qPrintable(QStringLiteral("start %1 hung: ").arg(start) + run.lines().join(" / ")));
            QVERIFY2(fileBytes(settings) == before, "the date was written without the lock");
        }
        QVERIFY2(switches > 100, qPrintable(QString::number(switches)));
#else
        QSKIP("FIFOs are a Unix thing");
#endif
    }

    // Exactly one copy per user, whatever the environment says about the runtime folder, and
    // also when a temp cleaner has removed the guard's files under the running copy. Once
    // the first copy is gone, the same start runs: no refusal without a copy.
    void oneCopyWhateverTheEnvironment_data()
    {
        QTest::addColumn<QByteArrayList>("first");
        QTest::addColumn<QByteArrayList>("second");
        QTest::addColumn<QByteArray>("secondDir"); // the first starts in "a"
        QTest::addColumn<bool>("cleaned");
        const QByteArrayList usual;
        const QByteArrayList none{"-XDG_RUNTIME_DIR"};
        const QByteArrayList relative{"XDG_RUNTIME_DIR=run"};
        QTest::newRow("runtime folder, then none") << usual << none << QByteArray("a") << false;
        QTest::newRow("none, then a runtime folder") << none << usual << QByteArray("a") << false;
        QTest::newRow("a relative runtime folder, started in two folders")
            << relative << relative << QByteArray("b") << false;
        QTest::newRow("relative, then none") << relative << none << QByteArray("a") << false;
        QTest::newRow("the second's runtime folder open to others")
            << usual << QByteArrayList{"XDG_RUNTIME_DIR=<home>/open"} << QByteArray("a") << false;
        QTest::newRow("the second's runtime folder missing")
            << usual << QByteArrayList{"XDG_RUNTIME_DIR=<home>/gone"} << QByteArray("a") << false;
        QTest::newRow("the second's runtime folder empty")
            << usual << QByteArrayList{"XDG_RUNTIME_DIR="} << QByteArray("a") << false;
        QTest::newRow("the guard's files removed under the running copy")
            << usual << usual << QByteArray("a") << true;
    }
    void oneCopyWhateverTheEnvironment()
    {
        if (!ProgramRun::available())
            QSKIP("the program and its autopilot are not built here");
#ifdef Q_OS_UNIX
        QFETCH(QByteArrayList, first);
        QFETCH(QByteArrayList, second);
        QFETCH(QByteArray, secondDir);
        QFETCH(bool, cleaned);
        QTemporaryDir home;
        for (const char *dir : {"a/run", "b/run", "open"}) {
            QVERIFY(QDir().mkpath(home.filePath(dir)));
            QFile::setPermissions(home.filePath(dir),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        QFile::setPermissions(home.filePath("open"), QFile::ReadOwner | QFile::WriteOwner |
                                                         QFile::ExeOwner | QFile::ReadOther |
                                                         QFile::ExeOther | QFile::WriteOther);
        writeDuration(settingsFileFor(home.path()), QDate::currentDate().toString(Qt::ISODate));

        const auto running = startWith(home.path(), "idle", first, "a");
        QVERIFY2(running->waitForLine(QStringLiteral("SHOWN frmMain"), processBound),
                 qPrintable("the first copy: " + running->lines().join(" / ")));
        if (cleaned) {
            QVERIFY(QDir(runtimeDirFor(home.path())).removeRecursively());
            QVERIFY(QDir().mkpath(runtimeDirFor(home.path())));
        }
        {
            const auto refused = startWith(home.path(), "idle", second, secondDir);
            QVERIFY(settles(*refused));
            QCOMPARE(refused->lines(), QStringList{"MESSAGE Application is already running"});
        }
        QCOMPARE(running->process.state(), QProcess::Running);
        running->process.kill();
        QVERIFY(running->waitForExit(processBound));
        const auto next = startWith(home.path(), "idle", second, secondDir);
        QVERIFY2(next->waitForLine(QStringLiteral("SHOWN frmMain"), processBound),
                 qPrintable("refused with no copy running: " + next->lines().join(" / ")));
#else
        QSKIP("the environment is given byte for byte on Unix only");
#endif
    }

    // The settings stay inside the home, whatever bytes its path holds, and a relative
    // XDG_CONFIG_HOME, invalid by the XDG rules, is ignored rather than taken from the
    // folder the program starts in. The copy guard does not move between starts either.
    void settingsStayInsideTheHome_data()
    {
        QTest::addColumn<QByteArrayList>("changes");
        QTest::addColumn<QByteArray>("expected"); // the settings file, relative to the home
        QTest::newRow("home not UTF-8")
            << QByteArrayList{"HOME=<home>/h\xff\xfeome", "-XDG_CONFIG_HOME"}
            << QByteArray("h\xff\xfeome/.config/thymara/thymara.conf");
        QTest::newRow("home not UTF-8, config home relative")
            << QByteArrayList{"HOME=<home>/h\xff\xfeome", "XDG_CONFIG_HOME=cfg"}
            << QByteArray("h\xff\xfeome/.config/thymara/thymara.conf");
        QTest::newRow("config home relative")
            << QByteArrayList{"XDG_CONFIG_HOME=cfg"} << QByteArray(".config/thymara/thymara.conf");
        QTest::newRow("config home not UTF-8")
            << QByteArrayList{"XDG_CONFIG_HOME=<home>/c\xff\xfeonfig"}
            << QByteArray("c\xff\xfeonfig/thymara/thymara.conf");
        // The copy guard's file goes in the runtime folder as named; no folder of a
        // decoded name appears beside it.
        QTest::newRow("home and runtime folder not UTF-8")
            << QByteArrayList{"HOME=<home>/h\xff\xfeome", "-XDG_CONFIG_HOME",
                              "XDG_RUNTIME_DIR=<home>/r\xff\xfeun"}
            << QByteArray("h\xff\xfeome/.config/thymara/thymara.conf");
    }
    void settingsStayInsideTheHome()
    {
        if (!ProgramRun::available())
            QSKIP("the program and its autopilot are not built here");
#ifdef Q_OS_UNIX
        QFETCH(QByteArrayList, changes);
        QFETCH(QByteArray, expected);
        QTemporaryDir home;
        const QByteArray root = QFile::encodeName(home.path());
        // QTemporaryDir decodes the names it removes, and misses those that are not UTF-8.
        const auto removeAll = qScopeGuard([&] {
            ::nftw(
                root.constData(),
                [](const char *path, const struct stat *, int, FTW *) { return ::remove(path); },
                16, FTW_DEPTH | FTW_PHYS);
        });
        QVERIFY(QDir().mkpath(home.filePath("a")));
        QVERIFY(QDir().mkpath(runtimeDirFor(home.path())));
        QVERIFY(::mkdir(root + "/h\xff\xfeome", 0700) == 0);
        QVERIFY(::mkdir(root + "/r\xff\xfeun", 0700) == 0);
        const QByteArrayList before = entriesOf(root);
        const QString startDay = QDate::currentDate().toString(Qt::ISODate);
        {
            const auto run = startWith(home.path(), "idle", changes, "a");
            QVERIFY2(run->waitForLine(QStringLiteral("SHOWN frmMain"), processBound),
                     qPrintable(run->lines().join(" / ")));
            const auto second = startWith(home.path(), "idle", changes, "a");
            QVERIFY(settles(*second));
            QCOMPARE(second->lines(), QStringList{"MESSAGE Application is already running"});
        }
        QCOMPARE(entriesOf(root + "/a"), QByteArrayList());
        QByteArray runtime = QFile::encodeName(runtimeDirFor(home.path()));
        for (const QByteArray &change : changes)
            if (change.startsWith("XDG_RUNTIME_DIR="))
                runtime = change.mid(16).replace("<home>", root);
        QVERIFY2(entriesOf(runtime).contains("thymara.lock"), "the copy guard's file moved");
        QByteArray text;
        const int fd = ::open(root + '/' + expected, O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            char buffer[256];
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            text = QByteArray(buffer, got > 0 ? got : 0);
            ::close(fd);
        }
        QVERIFY2(
            text.contains("Duration=" + startDay.toLatin1()) ||
                text.contains("Duration=" + QDate::currentDate().toString(Qt::ISODate).toLatin1()),
            qPrintable(QStringLiteral("not in the home; the home now holds: ") +
                       QString::fromLatin1(entriesOf(root).join(' ').toPercentEncoding(" /"))));
        // Nothing new beside the folder the settings went to.
        QByteArrayList now = entriesOf(root);
        now.removeAll(expected.left(expected.indexOf('/') + 1));
        QByteArrayList was = before;
        was.removeAll(expected.left(expected.indexOf('/') + 1));
        // The font library caches a font folder the system's cache does not cover (a
        // symlinked one, as on Debian 13) in the home's .cache: that is not the program's.
        if (!was.contains(".cache/") &&
            entriesOf(root + "/.cache") == QByteArrayList{"fontconfig/"})
            now.removeAll(".cache/");
        QCOMPARE(now, was);
#else
        QSKIP("the environment is given byte for byte on Unix only");
#endif
    }

    // Without any display to show a window on, the program says so in one plain line and
    // ends with status 1, instead of aborting with advice to reinstall.
    void noDisplayEndsWithOneLine_data()
    {
        QTest::addColumn<QByteArrayList>("changes"); // ":none" is a display nobody serves
        QTest::newRow("DISPLAY names no server")
            << QByteArrayList{"-QT_QPA_PLATFORM", "DISPLAY=:none"};
        QTest::newRow("no display named") << QByteArrayList{"-QT_QPA_PLATFORM"};
        QTest::newRow("a Wayland display without a compositor") << QByteArrayList{
            "-QT_QPA_PLATFORM", "WAYLAND_DISPLAY=wayland-nobody", "XDG_SESSION_TYPE=wayland"};
        QTest::newRow("both named, neither there")
            << QByteArrayList{"-QT_QPA_PLATFORM", "DISPLAY=:none", "WAYLAND_DISPLAY=wayland-nobody",
                              "XDG_SESSION_TYPE=wayland"};
        QTest::newRow("X11 asked for, no server")
            << QByteArrayList{"QT_QPA_PLATFORM=xcb", "DISPLAY=:none"};
    }
    void noDisplayEndsWithOneLine()
    {
        if (!ProgramRun::available())
            QSKIP("the program and its autopilot are not built here");
#ifdef Q_OS_UNIX
        QFETCH(QByteArrayList, changes);
        // A display number that no X server listens on, by path or in the abstract namespace.
        const QByteArray sockets = fileBytes(QStringLiteral("/proc/net/unix"));
        int free = 90;
        while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(free)) ||
               sockets.contains("/tmp/.X11-unix/X" + QByteArray::number(free) + '\n'))
            ++free;
        for (QByteArray &change : changes)
            change.replace(":none", ':' + QByteArray::number(free));
        QTemporaryDir home;
        const auto run = startWith(home.path(), "idle", changes);
        QVERIFY(run->waitForExit(processBound));
        const QByteArray errors = run->process.readAllStandardError();
        QVERIFY2(run->process.exitStatus() == QProcess::NormalExit && run->process.exitCode() == 1,
                 qPrintable(QStringLiteral("status %1: %2")
                                .arg(run->process.exitCode())
                                .arg(QString::fromLocal8Bit(errors))));
        QCOMPARE(run->lines(), QStringList());
        QCOMPARE(errors.count('\n'), 1);
        QVERIFY2(errors.startsWith("thymara: ") && errors.contains("display"), errors.constData());
#else
        QSKIP("the environment is given byte for byte on Unix only");
#endif
    }

    // A process that lacks what a process usually has: standard streams (thymara 1>&- 2>&-),
    // or a thread to spare for the font warm-up (root is held to no number of threads, so
    // here each new thread asks for more stack than the machine holds). The program never
    // aborts: it starts, reads and writes its settings. A stream it was started without is
    // /dev/null from the start, so nothing it opens (the display's connection, a lock) takes
    // that number, to be written into as output or pointed elsewhere while the browser
    // starts. Where it goes on, it shows its windows, opens a link and ends normally.
    void startsWithoutWhatAProcessUsuallyHas_data()
    {
        QTest::addColumn<QByteArrayList>("changes");
        QTest::addColumn<QList<int>>("closed");
        QTest::addColumn<qint64>("stackLimit");
        QTest::addColumn<bool>("goesOn");
        // Qt 6.4 then paints through a thread pool that waits for threads that cannot start.
        QTest::newRow("standard output and error closed")
            << QByteArrayList() << QList<int>{1, 2} << qint64(0) << true;
        QTest::newRow("standard output and error closed, no runtime folder")
            << QByteArrayList{"-XDG_RUNTIME_DIR"} << QList<int>{1, 2} << qint64(0) << true;
        QTest::newRow("every standard stream closed")
            << QByteArrayList() << QList<int>{0, 1, 2} << qint64(0) << true;
        QTest::newRow("no thread to spare")
            << QByteArrayList() << QList<int>() << (qint64(1) << 39) << false;
    }
    void startsWithoutWhatAProcessUsuallyHas()
    {
        if (!ProgramRun::available())
            QSKIP("the program and its autopilot are not built here");
#ifdef Q_OS_UNIX
        QFETCH(QByteArrayList, changes);
        QFETCH(QList<int>, closed);
        QFETCH(qint64, stackLimit);
        QFETCH(bool, goesOn);
        QTemporaryDir home;
        ProcessSetup setup;
        setup.closed = closed;
        setup.stackLimit = stackLimit;
        const QString settings = settingsFileFor(home.path());
        const QString opened = home.filePath(QStringLiteral("opened"));
        changes << "THYMARA_TEST_BROWSER=echo \"$1\" >> '" + QFile::encodeName(opened) + "'";
        {
            // A first start writes the date before it shows any window.
            const auto run = startWith(home.path(), "idle", changes, {}, setup);
            QTest::qWaitFor(
                [&] {
                    return !durationOnDisk(settings).isEmpty() ||
                           run->process.state() == QProcess::NotRunning;
                },
                processBound);
            QVERIFY2(
                run->process.state() == QProcess::Running && !durationOnDisk(settings).isEmpty(),
                qPrintable(QStringLiteral("no start: status %1, %2")
                               .arg(run->process.exitCode())
                               .arg(QString::fromLocal8Bit(run->process.readAllStandardError()))));
#ifdef Q_OS_LINUX
            for (const int fd : closed) {
                const QString held = QFile::symLinkTarget(
                    QStringLiteral("/proc/%1/fd/%2").arg(run->process.processId()).arg(fd));
                QVERIFY2(held == QLatin1String("/dev/null"),
                         qPrintable(QStringLiteral("descriptor %1 is %2").arg(fd).arg(held)));
            }
#endif
        }
        if (!goesOn)
            return;
        const auto run = startWith(home.path(), "link", changes, {}, setup);
        QVERIFY(run->waitForExit(processBound));
        QVERIFY2(run->process.exitStatus() == QProcess::NormalExit && run->process.exitCode() == 0,
                 qPrintable(QStringLiteral("status %1, %2")
                                .arg(run->process.exitCode())
                                .arg(QString::fromLocal8Bit(run->process.readAllStandardError()))));
        QVERIFY(QTest::qWaitFor(
            [&] { return fileBytes(opened) == pages::onlineHelp().toLatin1() + '\n'; },
            processBound));
#else
        QSKIP("the process is set up on Unix only");
#endif
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
