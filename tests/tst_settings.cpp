// The settings file: read and written only where QSettings reads the same, never left
// half-written, never losing another writer's change.

#include "platform/settings_lock.h"
#include "platform/settings_store.h"
#include "platform/user_folders.h"
#ifdef Q_OS_UNIX
#include "platform/unix_files.h"
#endif
#include "support/test_support.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSettings>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <initializer_list>
#include <random>
#include <thread>
#include <utility>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/syscall.h>
#include <unistd.h>
#endif

using namespace testsupport;

namespace {
// Entries as QSettings reads them from the file as it is on disk now, by
// "section/name". The copy under a name never used before keeps QSettings'
// cache of files it read earlier out of the way.
QHash<QString, QString> qtValues(const QString &ini, const QStringList &sections,
                                 const QStringList &names)
{
    static int copies = 0;
    const QString copy = ini + QStringLiteral(".qt%1").arg(++copies);
    putFile(copy, fileBytes(ini));
    QHash<QString, QString> values;
    {
        const QSettings qt(copy, QSettings::IniFormat);
        for (const QString &section : sections) {
            for (const QString &name : names) {
                const bool general = section.compare("General", Qt::CaseInsensitive) == 0;
                const QVariant value = qt.value(general ? name : section + '/' + name);
                values[section + '/' + name] =
                    value.isValid() && value.typeId() != QMetaType::QString
                        ? QStringLiteral("<%1>").arg(QString::fromLatin1(value.typeName()))
                        : value.toString();
            }
        }
    }
    QFile::remove(copy);
    return values;
}

QString qtValue(const QString &ini, const QString &section, const QString &name)
{
    return qtValues(ini, {section}, {name}).value(section + '/' + name);
}

template <typename T> T pick(std::mt19937 &random, std::initializer_list<T> from)
{
    return from.begin()[random() % from.size()];
}

// A file built from pieces of INI text, most of them plain, some of them
// QSettings syntax a plain reading gets wrong.
QByteArray generatedFile(std::mt19937 &random)
{
    const auto either = [&](std::initializer_list<const char *> plain,
                            std::initializer_list<const char *> tricky) {
        return random() % 6 ? pick(random, plain) : pick(random, tricky);
    };
    QByteArray text;
    if (random() % 10 == 0)
        text += "\xEF\xBB\xBF";
    const char *eol = random() % 4 ? "\n" : "\r\n";
    const int lines = 1 + int(random() % 7);
    for (int i = 0; i < lines; ++i) {
        switch (random() % 6) {
        case 0:
            text += either({"[Settings]", "[Other]", "[General]", "[general]", " [Settings] "},
                           {"[Sett%69ngs]", "[%General]", "[ Settings ]", "[Settings] ; note",
                            "[Settings", "[Settings\\Sub]", "[]", "[Settings]]", "[Sett ings]"});
            break;
        case 1:
            text += either({"", "  ", "; note", "  ;Duration=2019-09-09", "# note"},
                           {"#Duration=2019-09-09", "no equals", "=x", "\"half", "\x01", "\xFF\xFE",
                            "Duration\r=x"});
            break;
        default:
            text += either({"Duration", "Duration", "Other", "duration", " Duration "},
                           {"Dura%74ion", "Dur ation", "Settings\\Duration", "Settings/Duration",
                            "\"Duration\"", "@Duration", "D\xC3\xBCration"});
            text += pick(random, {"=", " = ", "\t=", "= "});
            text += either({"2020-01-01", " 2021-02-02 ", "\"2022-03-03\"", "x ; note", "\"a;b\"",
                            "\"a,b\"", "\"q\" ; note", "", "\"\"", "b=c", "a\tb", "a\t", "\" sp \"",
                            "2023-04-04;", "\xC3\xA9\xC2\xA0", "\"@x\""},
                           {"\"a", "a\"b\"", "a,b", "a, b", "\"q\" x", "@ByteArray(x)", "@@x",
                            "a\\nb", "a\\", "\\\"x\\\"", "\"a\\\"b\"", "\"a\"\"b\"", "\"x\",y"});
        }
        if (i + 1 < lines || random() % 4)
            text += eol;
    }
    return text;
}

#ifdef Q_OS_LINUX
pid_t threadId()
{
    return pid_t(::syscall(SYS_gettid));
}

// Whether the thread is asleep, as a writer is only between tries of a lock
// somebody else holds.
bool asleep(pid_t thread)
{
    QFile file(QStringLiteral("/proc/self/task/%1/syscall").arg(thread));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray call = file.readAll().split(' ').value(0).trimmed();
    return call == QByteArray::number(SYS_clock_nanosleep) ||
           call == QByteArray::number(SYS_nanosleep);
}
#endif
} // namespace

class TestSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { initialiseForTests(); }

    // Whatever the store reads, QSettings reads the same from that file, and after the
    // store's write QSettings finds the new value and everything else as it was. Files
    // the store refuses it leaves alone; enough of both kinds come up to count.
    void agreesWithQSettings()
    {
#ifdef Q_OS_WIN
        // There the date lives in the registry, and QSettings reads INI keys
        // without regard to case, unlike the Linux settings file it compares.
        QSKIP("the settings file is the Linux program's");
#endif
        QTemporaryDir dir;
        std::mt19937 random(20240305);
        const int filesToTry = 1000;
        const QStringList sections{"General", "Settings", "Other", "general"};
        const QStringList names{"Duration", "Other", "duration"};
        int accepted = 0, refused = 0;
        for (int n = 0; n < filesToTry; ++n) {
            const QByteArray text = generatedFile(random);
            const QString ini = dir.filePath(QStringLiteral("f%1.conf").arg(n));
            QVERIFY(putFile(ini, text));
            const QString shown = QString::fromLatin1(text.toPercentEncoding(" =[];\"@#,"));
            platform::NativeSettingsStore store(ini);
            const bool reads = store.read("Settings", "Duration").has_value();
            QHash<QString, QString> theirs = qtValues(ini, sections, names);
            for (const QString &section : sections) {
                for (const QString &name : names) {
                    const std::optional<QString> ours = store.read(section, name);
                    const QString key = section + '/' + name;
                    QVERIFY2(ours.has_value() == reads, qPrintable(shown));
                    QVERIFY2(!ours || *ours == theirs[key],
                             qPrintable(QStringLiteral("%1 %2: ours '%3', QSettings '%4'")
                                            .arg(shown, key, ours.value_or(""), theirs[key])));
                }
            }
            if (!reads) {
                ++refused;
                QVERIFY2(!store.write("Settings", "Duration", "2024-03-05"), qPrintable(shown));
                QVERIFY2(fileBytes(ini) == text, qPrintable(shown));
                continue;
            }
            ++accepted;
            QVERIFY2(store.write("Settings", "Duration", "2024-03-05"), qPrintable(shown));
            theirs["Settings/Duration"] = QStringLiteral("2024-03-05");
            const QHash<QString, QString> after = qtValues(ini, sections, names);
            for (const QString &section : sections) {
                for (const QString &name : names) {
                    const QString key = section + '/' + name;
                    QVERIFY2(after[key] == theirs[key],
                             qPrintable(QStringLiteral("%1 after the write, %2: QSettings '%3'")
                                            .arg(shown, key, after[key])));
                    QVERIFY2(store.read(section, name) == theirs[key], qPrintable(shown));
                }
            }
        }
        QVERIFY2(accepted > 250 && refused > 250,
                 qPrintable(QStringLiteral("%1 accepted, %2 refused").arg(accepted).arg(refused)));
    }

    // Files QSettings reads otherwise than their plain text says: the store reads
    // nothing, writes nothing and changes not a byte.
    void leavesAloneWhatQSettingsReadsOtherwise_data()
    {
        QTest::addColumn<QByteArray>("text");
        // QSettings reads no date here: the open quote takes in the lines below it.
        QTest::newRow("open quote above")
            << QByteArray("[Other]\nnote=\"a\n[Settings]\nDuration=2020-01-01\n");
        QTest::newRow("escaped section name") << QByteArray("[Sett%69ngs]\nDuration=2020-01-01\n");
        QTest::newRow("escaped entry name") << QByteArray("[Settings]\nDura%74ion=2020-01-01\n");
        QTest::newRow("a list") << QByteArray("[Settings]\nDuration=2020-01-01,2021-01-01\n");
        QTest::newRow("an escape") << QByteArray("[Settings]\nDuration=2020-01-01\\\n");
        QTest::newRow("a typed value") << QByteArray("[Settings]\nDuration=@Invalid()\n");
        QTest::newRow("a group in the name")
            << QByteArray("[Settings]\nOld\\Duration=2020-01-01\n");
    }
    void leavesAloneWhatQSettingsReadsOtherwise()
    {
        QFETCH(QByteArray, text);
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("thymara.conf"));
        QVERIFY(putFile(ini, text));
        platform::NativeSettingsStore store(ini);
        QCOMPARE(store.read("Settings", "Duration"), std::nullopt);
        QVERIFY(!store.write("Settings", "Duration", "2024-03-05"));
        QCOMPARE(fileBytes(ini), text);
    }

    // A write that the next read would refuse, or read otherwise, fails and leaves the
    // file as it was: a file past the read limit would never be read or written again.
    // So does a write to a file the user made read-only, as QSettings leaves it alone.
    void neverWritesWhatItCannotReadBack_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("readOnly"); // the file's mode 0444, in a folder open to writes
        const QByteArray dated("[Settings]\nDuration=2020-01-01\n");
        // 1,048,571 bytes: the date added would take it past 1 MiB.
        QByteArray nearlyFull = "[Other]\nfill=" + QByteArray(1048571 - 14, 'x') + "\n";
        QTest::newRow("past the read limit") << nearlyFull << "Settings"
                                             << "Duration"
                                             << "2024-03-05" << false;
        QTest::newRow("a comment in the value") << dated << "Settings"
                                                << "Duration"
                                                << "2024 ; x" << false;
        QTest::newRow("a list in the value") << dated << "Settings"
                                             << "Duration"
                                             << "2024,03" << false;
        QTest::newRow("quotes around the value") << dated << "Settings"
                                                 << "Duration"
                                                 << "\"2024\"" << false;
        QTest::newRow("blank around the value") << dated << "Settings"
                                                << "Duration"
                                                << " 2024" << false;
        QTest::newRow("an escape in the value") << dated << "Settings"
                                                << "Duration"
                                                << "a\\nb" << false;
        QTest::newRow("a line break in the value") << dated << "Settings"
                                                   << "Duration"
                                                   << "a\nb" << false;
        QTest::newRow("a typed value") << dated << "Settings"
                                       << "Duration"
                                       << "@Invalid()" << false;
        QTest::newRow("an escaped name") << dated << "Settings"
                                         << "Dura%74ion"
                                         << "2024-03-05" << false;
        QTest::newRow("an escaped section") << dated << "Sett%69ngs"
                                            << "Duration"
                                            << "2024-03-05" << false;
        QTest::newRow("a file the user made read-only") << dated << "Settings"
                                                        << "Duration"
                                                        << "2024-03-05" << true;
    }
    void neverWritesWhatItCannotReadBack()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, section);
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(bool, readOnly);
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("thymara.conf"));
        QVERIFY(putFile(ini, text));
        const QFileDevice::Permissions mode =
            readOnly ? QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther
                     : QFileInfo(ini).permissions();
        QVERIFY(QFile::setPermissions(ini, mode));
        platform::NativeSettingsStore store(ini);
        QVERIFY(store.read("Settings", "Duration").has_value());
        QVERIFY(!store.write(section, name, value));
        QVERIFY2(fileBytes(ini) == text, "the file changed");
        const auto byOwnerGroupOther = [](QFileDevice::Permissions p) {
            return p & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
        };
        QCOMPARE(byOwnerGroupOther(QFileInfo(ini).permissions()), byOwnerGroupOther(mode));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"thymara.conf"});
        QVERIFY(store.read("Settings", "Duration").has_value());
    }

    // Two copies writing at once: each reads the file only once it holds the lock, so
    // neither writes back a file without the other's change. Both are held at the lock
    // until both wait there; what they may have read before that is the old file.
    void twoWritersKeepBothChanges()
    {
#ifndef Q_OS_LINUX
        QSKIP("the writers are watched through /proc");
#else
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("thymara.conf"));
        QVERIFY(putFile(ini, "[Settings]\nDuration=2020-01-01\n"));
        QLockFile held(ini + QStringLiteral(".lock"));
        QVERIFY(held.tryLock(0));
        const QStringList names{"First", "Second"};
        std::atomic<pid_t> threads[2] = {0, 0};
        std::atomic<bool> wrote[2] = {false, false};
        std::vector<std::thread> writers;
        for (int i = 0; i < 2; ++i) {
            writers.emplace_back([&, i] {
                threads[i] = threadId();
                platform::NativeSettingsStore store(ini, 30000);
                wrote[i] = store.write("Settings", names[i], "yes");
            });
        }
        const bool queued = QTest::qWaitFor(
            [&] { return threads[0] && threads[1] && asleep(threads[0]) && asleep(threads[1]); },
            10000);
        held.unlock();
        for (std::thread &writer : writers)
            writer.join();
        QVERIFY2(queued, "the writers never both waited for the lock");
        QVERIFY(wrote[0] && wrote[1]);
        const QByteArray after = fileBytes(ini);
        for (const QString &name : names)
            QVERIFY2(qtValue(ini, "Settings", name) == "yes",
                     qPrintable(QStringLiteral("%1's change was lost; the file holds: %2")
                                    .arg(name, QString::fromUtf8(after).replace('\n', '|'))));
        QCOMPARE(qtValue(ini, "Settings", "Duration"), QStringLiteral("2020-01-01"));
#endif
    }

    // A write cut short (a full disk, a file-size limit, a kill) leaves the file as it
    // was, whole: the new content goes to a file beside it that only replaces it once
    // complete. Here the program's first start writes its date under a file-size limit
    // below the file's size; the start after it, without the limit, does write.
    void cutShortWriteKeepsTheOldFile()
    {
        if (!ProgramRun::available())
            QSKIP("the scripted program is not built here");
#ifdef Q_OS_UNIX
        QTemporaryDir home;
        QProcessEnvironment env;
        env.insert(QStringLiteral("PATH"), home.filePath(QStringLiteral("no-programs")));
        const QString settings = settingsFileFor(home.path());
        QByteArray text = "; kept whole\n[Other]\n";
        for (int i = 0; text.size() < 64 * 1024; ++i)
            text += "entry" + QByteArray::number(i) + "=" + QByteArray(60, 'v') + "\n";
        QVERIFY(putFile(settings, text));
        {
            ProcessSetup limit;
            limit.fileSizeLimit = 16 * 1024;
            ProgramRun limited(home.path(), "idle", env, limit);
            QVERIFY(limited.waitForLine(QStringLiteral("SHOWN frmMain"), processBound));
            const QByteArray after = fileBytes(settings);
            QVERIFY2(after == text,
                     qPrintable(QStringLiteral("a cut-short write left %1 of %2 bytes")
                                    .arg(after.size())
                                    .arg(text.size())));
        }
        ProgramRun unlimited(home.path(), "idle", env);
        QVERIFY(unlimited.waitForLine(QStringLiteral("SHOWN frmMain"), processBound));
        QVERIFY(fileBytes(settings).startsWith(text));
        QCOMPARE(qtValue(settings, "Settings", "Duration").size(), 10);
#else
        QSKIP("file-size limits are a Unix feature");
#endif
    }

    // The file stays readable by QSettings, and whatever else is in it stays as it was.
    void storeKeepsTheFileFormat_data()
    {
        QTest::addColumn<QByteArray>("before"); // null: no file
        QTest::addColumn<QByteArray>("after");
        const QByteArray plain = "[Settings]\nDuration=2024-03-05\n";
        QTest::newRow("no file") << QByteArray() << plain;
        QTest::newRow("empty file") << QByteArray("") << plain;
        QTest::newRow("line feeds of another system")
            << QByteArray("[Settings]\r\nDuration=2020-01-01\r\n") << plain;
        QTest::newRow("quoted value")
            << QByteArray("[Settings]\nDuration=\"2020-01-01\"\n") << plain;
        QTest::newRow("others kept")
            << QByteArray(
                   "; note\nTop=0\n[General]\nx=1\n\n[Settings]\nOther=a\nDuration = 2020-01-01\n"
                   "[More]\ny=2\n")
            << QByteArray(
                   "; note\nTop=0\n[General]\nx=1\n\n[Settings]\nOther=a\nDuration=2024-03-05\n"
                   "[More]\ny=2\n");
        QTest::newRow("section without the entry")
            << QByteArray("[Settings]\nOther=a\n\n[More]\ny=2\n")
            << QByteArray("[Settings]\nOther=a\nDuration=2024-03-05\n\n[More]\ny=2\n");
        QTest::newRow("other sections only")
            << QByteArray("[More]\ny=2\n")
            << QByteArray("[More]\ny=2\n\n[Settings]\nDuration=2024-03-05\n");
        // QSettings takes the last of two entries; a store that took the first would ask
        // on a date nobody else sees, and write where nobody reads.
        QTest::newRow("two entries, the last one counts")
            << QByteArray("[Settings]\nDuration=2020-01-01\nDuration=2024-02-01\n")
            << QByteArray("[Settings]\nDuration=2020-01-01\nDuration=2024-03-05\n");
        QTest::newRow("a comment after the value")
            << QByteArray("[Settings]\nDuration=2020-01-01 ; set by admin\n")
            << QByteArray("[Settings]\nDuration=2024-03-05 ; set by admin\n");
        QTest::newRow("the section twice") << QByteArray("[Settings]\nDuration=2020-01-01\n[More]\n"
                                                         "[Settings]\nDuration=2021-01-01\n")
                                           << QByteArray("[Settings]\nDuration=2020-01-01\n[More]\n"
                                                         "[Settings]\nDuration=2024-03-05\n");
    }
    void storeKeepsTheFileFormat()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("thymara.conf"));
        if (!before.isNull()) {
            QFile file(ini);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(before) == before.size());
        }
        platform::NativeSettingsStore store(ini);
        // Each time under a new name: QSettings takes a file of the same size and time as
        // one it has read before for unchanged, and the store's write may keep both.
        int copies = 0;
        const auto qtReads = [&] {
            const QString copy = ini + QString::number(++copies);
            QFile::copy(ini, copy);
            return QSettings(copy, QSettings::IniFormat).value("Settings/Duration").toString();
        };
        QCOMPARE(store.read("Settings", "Duration").value_or("<not read>"), qtReads());
        QVERIFY(store.write("Settings", "Duration", "2024-03-05"));
        QCOMPARE(fileBytes(ini), after);
        QCOMPARE(qtReads(), QStringLiteral("2024-03-05"));
        QCOMPARE(store.read("Settings", "Duration"), std::optional<QString>("2024-03-05"));
        QVERIFY(!QFile::exists(ini + ".lock"));
    }

    // Locks found in the way, judged by QLockFile's rules: the lock of a process that is
    // gone (or whose id another program now has, or from before the machine started) is
    // taken over; a live one, or one that cannot be judged yet, is waited for and the write
    // fails once the wait is over. Removing a lock goes through a removal lock beside it;
    // whatever lies there, the write never waits without a bound (a FIFO there used to
    // hold it in open() for good). On a file system without flock() (some network homes),
    // where nobody can be seen to hold a lock, a lock is judged by its process and its age.
    void takesOverOnlyLocksOfTheDead_data()
    {
        QTest::addColumn<QString>("holder"); // whose the lock says it is
        QTest::addColumn<QString>("beside"); // what lies at <lock>.rmlock
        QTest::addColumn<int>("ageSeconds"); // how long ago the lock was last written
        QTest::addColumn<bool>("writes");
        QTest::addColumn<int>("flockError"); // what every flock() fails with; 0: it works
        QTest::newRow("a dead copy's") << "dead"
                                       << "" << 0 << true << 0;
        QTest::newRow("a dead copy's, a dead remover's lock beside")
            << "dead"
            << "dead remover" << 0 << true << 0;
        QTest::newRow("a dead copy's, a FIFO beside") << "dead"
                                                      << "FIFO" << 0 << false << 0;
        QTest::newRow("a dead copy's, a directory beside") << "dead"
                                                           << "directory" << 0 << false << 0;
        QTest::newRow("a dead copy's, a live remover's lock beside")
            << "dead"
            << "live remover" << 0 << false << 0;
        QTest::newRow("its id now another program's") << "other program"
                                                      << "" << 0 << true << 0;
        QTest::newRow("from before the machine started") << "earlier boot"
                                                         << "" << 0 << true << 0;
        QTest::newRow("a live copy's") << "live"
                                       << "" << 0 << false << 0;
        // A live process's lock that it does not hold (QLockFile holds its own with flock())
        // and has not touched for long: the id went to a program of the same name.
        QTest::newRow("a live process's, unheld, a minute old") << "live"
                                                                << "" << 60 << true << 0;
        QTest::newRow("another host's, fresh") << "other host"
                                               << "" << 0 << false << 0;
        QTest::newRow("another host's, a minute old") << "other host"
                                                      << "" << 60 << true << 0;
        QTest::newRow("empty, fresh") << "empty"
                                      << "" << 0 << false << 0;
        QTest::newRow("empty, a minute old") << "empty"
                                             << "" << 60 << true << 0;
#ifdef Q_OS_UNIX
        for (const int error : {ENOLCK, EOPNOTSUPP}) {
            const char *fs = error == ENOLCK ? "no flock() (ENOLCK)" : "no flock() (EOPNOTSUPP)";
            QTest::addRow("a dead copy's, %s", fs) << "dead"
                                                   << "" << 0 << true << error;
            QTest::addRow("a live copy's, %s", fs) << "live"
                                                   << "" << 0 << false << error;
            QTest::addRow("a live process's, a minute old, %s", fs) << "live"
                                                                    << "" << 60 << true << error;
            QTest::addRow("another host's, fresh, %s", fs) << "other host"
                                                           << "" << 0 << false << error;
            QTest::addRow("another host's, a minute old, %s", fs) << "other host"
                                                                  << "" << 60 << true << error;
        }
        QTest::newRow("a dead copy's, a dead remover's lock beside, no flock() (ENOLCK)")
            << "dead"
            << "dead remover" << 0 << true << ENOLCK;
        QTest::newRow("a dead copy's, a live remover's lock beside, no flock() (ENOLCK)")
            << "dead"
            << "live remover" << 0 << false << ENOLCK;
#endif
    }
    void takesOverOnlyLocksOfTheDead()
    {
#ifndef Q_OS_UNIX
        QSKIP("the lock is QLockFile itself elsewhere");
#else
        QFETCH(QString, holder);
        QFETCH(QString, beside);
        QFETCH(int, ageSeconds);
        QFETCH(bool, writes);
        QFETCH(int, flockError);
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("thymara.conf"));
        const QByteArray text = "[Settings]\nDuration=2020-01-01\n";
        QVERIFY(putFile(ini, text));
        const QString lock = ini + QStringLiteral(".lock");
        const QByteArray self =
            QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8();
        const auto deadPid = [] {
            const pid_t child = ::fork();
            if (child == 0)
                ::_exit(0);
            ::waitpid(child, nullptr, 0);
            return qint64(child);
        };
        QProcess other; // a live process of another program
        const auto lines = [&](qint64 pid, const QByteArray &program, const QByteArray &host,
                               const QByteArray &boot) {
            return QByteArray::number(pid) + '\n' + program + '\n' + host + '\n' +
                   QSysInfo::machineUniqueId() + '\n' + boot + '\n';
        };
        const QByteArray host = QSysInfo::machineHostName().toUtf8();
        const QByteArray boot = QSysInfo::bootUniqueId();
        QByteArray content;
        if (holder == "dead") {
            content = lines(deadPid(), "thymara", host, boot);
        } else if (holder == "other program") {
            other.start(QStringLiteral("/bin/sleep"), {QStringLiteral("30")});
            QVERIFY(other.waitForStarted(5000));
            content = lines(other.processId(), "thymara", host, boot);
        } else if (holder == "earlier boot") {
            content = lines(QCoreApplication::applicationPid(), self, host, "an-earlier-boot");
        } else if (holder == "live") {
            content = lines(QCoreApplication::applicationPid(), self, host, boot);
        } else if (holder == "other host") {
            content = "4242\nthymara\nelsewhere.example\nanother-machine\n";
        }
        QVERIFY(putFile(lock, content));
        const QByteArray removal = QFile::encodeName(lock + QStringLiteral(".rmlock"));
        if (beside == "dead remover")
            QVERIFY(putFile(QFile::decodeName(removal), lines(deadPid(), "thymara", host, boot)));
        else if (beside == "live remover")
            QVERIFY(putFile(QFile::decodeName(removal),
                            lines(QCoreApplication::applicationPid(), self, host, boot)));
        else if (beside == "FIFO")
            QVERIFY(::mkfifo(removal.constData(), 0600) == 0);
        else if (beside == "directory")
            QVERIFY(QDir().mkdir(QFile::decodeName(removal)));
        if (ageSeconds) {
            const QDateTime then = QDateTime::currentDateTime().addSecs(-ageSeconds);
            QFile file(lock);
            QVERIFY(file.open(QIODevice::ReadWrite) &&
                    file.setFileTime(then, QFileDevice::FileModificationTime));
        }

        static int failWith = 0;
        failWith = flockError;
        const auto flock = std::exchange(platform::flockCall, [](int fd, int how) {
            if (failWith == 0)
                return ::flock(fd, how);
            errno = failWith;
            return -1;
        });
        const auto restoreFlock = qScopeGuard([&] { platform::flockCall = flock; });

        // On its own thread, so that a write held in open() cannot hold the test too.
        std::atomic<bool> done{false}, wrote{false};
        std::thread writer([&] {
            platform::NativeSettingsStore store(ini, 500);
            wrote = store.write("Settings", "Duration", "2024-03-05");
            done = true;
        });
        const bool finished = QTest::qWaitFor([&] { return done.load(); }, 10000);
        if (!finished) {
            // Lets each open() that waits for a writer on the FIFO go on, until the write
            // has given up.
            const bool ended = QTest::qWaitFor(
                [&] {
                    const int fd = ::open(removal.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                    if (fd >= 0)
                        ::close(fd);
                    return done.load();
                },
                10000);
            Q_UNUSED(ended); // the thread ends either way; its verdict comes below
        }
        writer.join();
        if (other.state() != QProcess::NotRunning) {
            other.kill();
            other.waitForFinished(5000);
        }
        QVERIFY2(finished, "the write waited in open()");
        QCOMPARE(wrote.load(), writes);
        QCOMPARE(qtValue(ini, "Settings", "Duration"),
                 writes ? QStringLiteral("2024-03-05") : QStringLiteral("2020-01-01"));
        // A lock taken over is gone with the write; any other stays as it was.
        QCOMPARE(fileBytes(lock), writes ? QByteArray() : content);
        QCOMPARE(QFile::exists(lock), !writes);
        if (beside.isEmpty() || beside == "dead remover")
            QVERIFY(!QFile::exists(QFile::decodeName(removal)));
#endif
    }

    // The store's lock and QLockFile, which QSettings takes, keep each other out, and the
    // store's lock reads as QLockFile's own: its process, program and host. A QSettings
    // writer waits while the store holds it.
    void storeLockAndQLockFileExcludeEachOther()
    {
        QTemporaryDir dir;
        const QString lock = dir.filePath(QStringLiteral("thymara.conf.lock"));
        {
            platform::SettingsLock ours(platform::nativePath(lock));
            QVERIFY(ours.lock(0));
            QLockFile theirs(lock);
            QVERIFY2(!theirs.tryLock(300), "QLockFile took a lock the store holds");
            qint64 pid = 0;
            QString host, program;
            QVERIFY(theirs.getLockInfo(&pid, &host, &program));
            QCOMPARE(pid, QCoreApplication::applicationPid());
            // Windows spells its computer name in capitals where Qt reports it in small
            // letters; the name itself knows no case there.
            QCOMPARE(host.toLower(), QSysInfo::machineHostName().toLower());
            QCOMPARE(program, QCoreApplication::applicationName());
        }
        QVERIFY2(!QFile::exists(lock), "the store left its lock behind");
        QLockFile theirs(lock);
        QVERIFY(theirs.tryLock(0));
        {
            platform::SettingsLock ours(platform::nativePath(lock));
            QVERIFY2(!ours.lock(300), "the store took a lock QLockFile holds");
        }
        theirs.unlock();

        // A QSettings writer waits for the store's lock, and writes once it is released.
        const QString ini = dir.filePath(QStringLiteral("thymara.conf"));
        QVERIFY(putFile(ini, "[Settings]\nDuration=2020-01-01\n"));
        platform::SettingsLock ours(platform::nativePath(lock));
        QVERIFY(ours.lock(0));
        std::atomic<bool> synced{false};
        std::thread writer([&] {
            QSettings settings(ini, QSettings::IniFormat);
            settings.setValue(QStringLiteral("Settings/Other"), QStringLiteral("theirs"));
            settings.sync();
            synced = true;
        });
        QTest::qWait(500);
        const bool waited = !synced;
        const QByteArray during = fileBytes(ini);
        ours.unlock();
        const bool finished = QTest::qWaitFor([&] { return synced.load(); }, 10000);
        writer.join();
        QVERIFY2(waited && during == "[Settings]\nDuration=2020-01-01\n",
                 "QSettings wrote while the store held the lock");
        QVERIFY(finished);
        QCOMPARE(qtValue(ini, "Settings", "Other"), QStringLiteral("theirs"));
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
