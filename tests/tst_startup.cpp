// Start-up: the update reminder, the offer rotation on the main window, and the
// single-copy guard of the real executable.

#include "app/cobrand.h"
#include "app/startup.h"
#include "common/random.h"
#include "links/web_hosts.h"
#include "platform/settings_store.h"
#include "support/test_support.h"
#include "windows/form_label.h"
#include "windows/main_window.h"
#include "windows/result_window.h"
#include "windows/window_registry.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace testsupport;
using platform::MessageAnswer;

namespace {
const QString download = QString("http://%1/download-thymara.html").arg(webhosts::productSite);
const QString coBrandPage = QString("http://%1/co-brand.html").arg(webhosts::helpSite);
const QString fullBrandPage = QString("http://%1/fully-branded.html").arg(webhosts::helpSite);
const QString question = QStringLiteral("There maybe an update to this software available\r"
                                        "Do you want to check for an update?");
constexpr int processBound = 15000; // generous for a loaded machine; a healthy run takes < 1 s

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
void writeDuration(const QString &path, const QString &duration)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) &&
            file.write("[Settings]\nDuration=" + duration.toUtf8() + "\n") > 0);
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
} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { initialiseForTests(); }
    void cleanup()
    {
        MessageRecorder messages;
        ExitRecorder exits;
        QLocale::setDefault(QLocale::system());
        QVERIFY(closeEverything());
    }

    void reminder_data()
    {
        QTest::addColumn<QString>("stored"); // null: no settings file; "<dir>": a directory there
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
        // A store that cannot keep the date: no page, no complaint; the reminder comes back.
        QTest::newRow("write fails after Yes") << "2024-02-19" << true << true << true << "en_US";
        QTest::newRow("file is a directory") << "<dir>" << false << true << false << "en_US";
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
        if (isDir)
            QVERIFY(QDir().mkpath(ini));
        else if (!stored.isNull())
            writeDuration(ini, stored);
        const QByteArray before = fileBytes(ini);
        QLocale::setDefault(QLocale(locale));
        UrlRecorder urls;
        MessageRecorder messages;
        messages.answerNext(yes ? MessageAnswer::Yes : MessageAnswer::No);
        WatchedStore store(ini, urls.opened);
        store.failing = writeFails;
        app::ShowUpdateReminder(store, QDate(2024, 3, 5));

        QCOMPARE(messages.texts(), asks ? QStringList{question} : QStringList());
        for (const auto &box : messages.shown)
            QVERIFY(box.icon == platform::MessageIcon::Information &&
                    box.buttons == platform::MessageButtons::YesNo);
        const bool writes = asks || stored.isNull() || isDir;
        QCOMPARE(store.pagesOpenAtWrite, writes ? QList<qsizetype>{0} : QList<qsizetype>());
        const bool stores = writes && !writeFails && !isDir;
        if (stores)
            QCOMPARE(durationOnDisk(ini), QStringLiteral("2024-03-05"));
        else
            QCOMPARE(fileBytes(ini), before);
        QCOMPARE(urls.opened, stores && asks && yes ? QStringList{download} : QStringList());
    }

    void offers()
    {
        UrlRecorder urls;
        MessageRecorder messages;
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

    // A second copy is refused while the first runs, even once its lock is older than a
    // stale one may be. A lock nobody holds delays a start only briefly; that start asks
    // about updates before any window, and Yes, the default, goes on without a browser.
    void programKeepsToOneCopy_data()
    {
        QTest::addColumn<bool>("firstCopy"); // else the lock is an empty file
        QTest::newRow("second copy, then the first killed") << true;
        QTest::newRow("empty lock file") << false;
    }
    void programKeepsToOneCopy()
    {
        if (!ProgramRun::available())
            QSKIP("the program and its autopilot are not built here");
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
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
