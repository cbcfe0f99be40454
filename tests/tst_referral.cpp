// Referring a friend from the exit window: the prompt fields, the refused
// blank, the order of the messages and the request address the browser gets.

#include "forms/prompt_fields.h"
#include "links/referral.h"
#include "platform/browser.h"
#include "support/test_support.h"
#include "support/web_pages.h"
#include "windows/exit_window.h"
#include "windows/window_registry.h"

#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>
#include <optional>

using namespace testsupport;
using namespace platform;
using form::PromptFields;

namespace {
const QString proper = QStringLiteral("Please Enter Proper Email Address");
const QString distinct = QStringLiteral("Please Enter Distinct Email Addresses");
const QString enterName = QStringLiteral("Please Enter Your Name");
const QString tooLong =
    QStringLiteral("The referral is too long to send. Please shorten the text you entered.");

// In the order the values are stored and sent.
const QStringList fieldNames{"txtName", "txtEmail", "txtMessage", "txtFriendName",
                             "txtFriendEmail"};
const QStringList prompts{"Your Name", "Your Email Address", "Your Message", "Friend's Name",
                          "Friend's Email Address"};

// How a field is reached, or left, or what becomes of a blank typed into it.
constexpr int click = 0, tab = 1, leave = 2, blankTaken = 3, blankRefused = 4;

// Blanks only: tabs, line breaks and non-breaking spaces belong to the value.
QStringList blanksTrimmed(QStringList texts)
{
    static const QRegularExpression ends(QStringLiteral("^ +| +$"));
    for (QString &text : texts)
        text.remove(ends);
    return texts;
}

// The message field lies outside the frame's visible area: only Tab reaches it.
bool tabTo(QWidget *target)
{
    for (int presses = 0; presses < 40 && QApplication::focusWidget() != target; ++presses)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    return QApplication::focusWidget() == target;
}

// Fails the running test unless the address, plain ASCII outside its escapes and free of "#" and
// "+", reaches the referral script with exactly these five values and the product's home page.
void checkRequest(const QString &address, QStringList values)
{
    const auto formDecoded = [](QString s) { // as a server reads it: "+" is a blank, UTF-8
        return QString::fromUtf8(QByteArray::fromPercentEncoding(s.replace('+', ' ').toLatin1()));
    };
    static const QRegularExpression bad(QStringLiteral("[^!-~]|[#+]|%(?![0-9A-Fa-f]{2})"));
    QVERIFY2(!address.contains(bad), qPrintable(address));
    values.append(pages::productSite());
    const qsizetype question = address.indexOf(u'?');
    QCOMPARE(address.left(question), pages::referralScript());
    QStringList pairs; // split at every "&", then at the first "="
    for (const QString &pair : address.mid(question + 1).split(u'&')) {
        const qsizetype equals = pair.indexOf(u'=');
        pairs << formDecoded(pair.left(equals)) + u'=' + formDecoded(pair.mid(equals + 1));
    }
    for (int i = 0; i < values.size(); ++i)
        values[i].prepend(QStringLiteral("taf%1=").arg(i + 1));
    QCOMPARE(pairs, values);
}
} // namespace

class TestReferral : public WindowTest
{
    Q_OBJECT

    windows::ExitWindow *m_window = nullptr;

    QWidget *field(int index) const { return m_window->findChild<QWidget *>(fieldNames[index]); }

    // The texts of the boxes shown so far, each of which must have been a stop box with a single
    // OK. Forgets them, so that cleanup() sees only boxes nobody expected.
    QStringList takeMessages()
    {
        QStringList texts;
        for (const MessageRecorder::Shown &box : std::exchange(standIns().messages.shown, {}))
            if (box.icon == MessageIcon::Critical && box.buttons == MessageButtons::Ok)
                texts << box.text;
            else
                texts << "not a stop box with OK: " + box.text;
        return texts;
    }

private Q_SLOTS:
    void init()
    {
        WindowTest::init();
        m_window = windows::frmNagScreen2();
        QVERIFY(showAndActivate(m_window));
        QCOMPARE(QApplication::focusWidget(), m_window->cmdClose());
        for (int i = 0; i < 5; ++i)
            QCOMPARE(PromptFields::textOf(field(i)), prompts[i] + (i == 2 ? "\r\n" : ""));
    }

    // Prompts go and come with moves between the window's fields. The box about a blank takes the
    // activation while it is up, which is no such move: the field stays as typed, behind and after.
    void fieldReactions_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("move");
        QTest::addColumn<QString>("after");
        QTest::newRow("prompt, click") << 1 << "Your Email Address" << click << "";
        QTest::newRow("prompt, tab") << 3 << "Friend's Name" << tab << "";
        QTest::newRow("prompt with blanks") << 0 << "  Your Name " << click << "";
        QTest::newRow("lower-case prompt") << 3 << "friend's name" << click << "friend's name";
        QTest::newRow("first message") << 2 << "Your Message\r\n" << tab << "Your Message\r\n";
        QTest::newRow("message prompt") << 2 << "Your Message" << tab << "";
        QTest::newRow("emptied, left") << 2 << "" << leave << prompts[2];
        QTest::newRow("blanks, left") << 4 << "   " << leave << prompts[4];
        QTest::newRow("tab only, left") << 0 << "\t" << leave << "\t";
        QTest::newRow("blank, empty e-mail") << 1 << "" << blankRefused << "c";
        QTest::newRow("blank, friend's e-mail") << 4 << "ab" << blankRefused << "abc";
        QTest::newRow("blank, name") << 0 << "ab" << blankTaken << "ab c";
        QTest::newRow("blank, message") << 2 << "" << blankTaken << " c";
    }
    void fieldReactions()
    {
        QFETCH(int, index);
        QFETCH(QString, text);
        QFETCH(int, move);
        QFETCH(QString, after);
        QWidget *box = field(index);
        if (move != click && move != tab)
            QVERIFY(tabTo(box));
        PromptFields::setTextOf(box, text);
        QWidget standIn;
        QString behind;
        const MessageHandler recorder = setMessageHandler(
            [&](const QString &message, MessageIcon icon, MessageButtons buttons) {
                standIns().messages.shown.append({message, icon, buttons});
                standIn.show();
                standIn.activateWindow();
                behind =
                    QTest::qWaitForWindowActive(&standIn) ? PromptFields::textOf(box) : "(late)";
                m_window->activateWindow(); // as when the box goes
                return MessageAnswer::Ok;
            });
        if (move == click)
            QTest::mouseClick(box, Qt::LeftButton);
        else if (move == tab)
            QVERIFY(tabTo(box));
        else
            QTest::keyClicks(box, move == leave ? "\t" : " c");
        const QStringList messages = takeMessages();
        setMessageHandler(recorder); // the stand-in goes with this function
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        QCOMPARE(messages, QStringList(move == blankRefused, "Email Address Cannot Contain Space"));
        QCOMPARE(behind, move == blankRefused ? text : QString());
        QCOMPARE(QApplication::focusWidget() == box, move != leave);
        QCOMPARE(PromptFields::textOf(box), after);
    }

    void submit_data()
    {
        QTest::addColumn<QStringList>("values"); // an empty one: emptied just before the press
        QTest::addColumn<bool>("byAccessKey");
        QTest::addColumn<QString>("expected"); // empty: sent
        auto row = [](const char *tag, const QStringList &values, const QString &expected = {},
                      bool byAccessKey = false) {
            QTest::newRow(tag) << values << byAccessKey << expected;
        };
        const QString n = "Jane", e = "jane@example.org", m = "Have a look", f = "John",
                      fe = "john@example.org", np = prompts[0], fp = prompts[3];
        row("all at prompts", prompts, proper);
        row("equal first", {np, "jane", "", fp, "jane"}, distinct);
        row("equal but for pasted blanks", {n, "  " + e, m, f, e + " "}, distinct);
        row("case differs", {n, "Jane@Example.org", m, f, e});
        row("sender's lacks @", {n, "jane.example.org", m, f, fe}, proper);
        row("sender's lacks .", {n, "jane@example", m, f, fe}, proper);
        row("friend's lacks @", {n, e, m, f, "john.example.org"}, proper);
        row("friend's lacks .", {n, e, m, f, "john@example"}, proper);
        row("@. only", {n, "@.", m, f, " jo hn@x.y "});
        row("name at prompt", {np, e, "", fp, fe}, enterName);
        row("name prompt with blanks", {" Your Name  ", e, m, f, fe}, enterName);
        row("prompts in lower case", {"your name", e, m, "friend's name", fe});
        row("message emptied, alt+n", {n, e, "", fp, fe}, "Please Enter Your Message", true);
        row("friend's name at prompt", {n, e, m, fp, fe}, "Please Enter Your Friend's Name");
        row("valid", {n, e, "Your Message\r\n", f, fe});
        row("name emptied, click", {"", e, m, f, fe}, enterName);
        row("friend's e-mail emptied, alt+n", {n, e, m, f, ""}, proper, true);
        row("delimiters",
            {"Anna & Björn #1 = a+b", "anna+b@x.org", "50% off & more?\r\n#soon %zz %",
             "  O'Brien ?x=1&y=2  ", " o@b.com#frag "});
        row("other scripts", {"\t😀 Zoë 李\t", "%20%2B%26@例え.jp", "Ελληνικά 🎉\r\n\r\n  мир\t",
                              "עברית 👩‍👩‍👧", "taf1=z&u@v.w"});
        row("non-breaking spaces", {n, e, "\u00a0Hi\u00a0there \u00a0", f, fe});
        // The address may reach the longest a common web server takes, and no further, however
        // the characters grow in the encoding; the missing values are named first.
        const auto encoded = [](const QString &v) { return QUrl::toPercentEncoding(v).size(); };
        const qsizetype room =
            modTellAFriend::LongestFieldText() - encoded(n) - encoded(e) - encoded(f) - encoded(fe);
        const QString longest(room, u'w');
        row("longest address", {n, e, longest, f, fe});
        row("one character more", {n, e, longest + "w", f, fe}, tooLong);
        row("longer once encoded", {n, e, QString("w ").repeated(room / 2) + "w", f, fe}, tooLong);
        row("astral letters", {n, e, QString("😀").repeated(room / 12 + 1), f, fe}, tooLong);
        row("too long, name missing", {np, e, longest + "w", f, fe}, enterName);
    }
    void submit()
    {
        QFETCH(QStringList, values);
        QFETCH(bool, byAccessKey);
        QFETCH(QString, expected);
        using namespace modTellAFriend;
        SenderName = SenderEmail = MessageText = FriendName = FriendEmail = "stale";
        QStringList shown = values;
        if (const int emptied = values.indexOf(QString()); emptied >= 0) {
            QVERIFY(tabTo(field(emptied)));
            shown[emptied] = prompts[emptied]; // the button takes the focus before it reads
        }
        for (int i = 0; i < 5; ++i)
            PromptFields::setTextOf(field(i), values[i]);
        if (byAccessKey)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::AltModifier);
        else
            QTest::mouseClick(m_window->cmdSubmit(), Qt::LeftButton);
        QTRY_VERIFY(standIns().messages.shown.size() + standIns().urls.opened.size() >
                    0); // Alt+N clicks late
        QCOMPARE(QApplication::focusWidget(), m_window->cmdSubmit());
        QStringList stored{SenderName, SenderEmail, MessageText, FriendName, FriendEmail};
        QCOMPARE(stored, blanksTrimmed(shown)); // whatever the outcome
        QCOMPARE(takeMessages(), QStringList(!expected.isEmpty(), expected));
        for (int i = 0; i < 5; ++i)
            QCOMPARE(PromptFields::textOf(field(i)), shown[i]);
        QCOMPARE(standIns().urls.opened, QStringList(expected.isEmpty(), ReferralUrl));
        if (!expected.isEmpty())
            return;
        checkRequest(ReferralUrl, stored);
        QVERIFY(m_window->isVisible());
        QCOMPARE(standIns().exits.statuses, QList<int>());
        QTest::mouseClick(m_window->cmdSubmit(), Qt::LeftButton);
        QCOMPARE(standIns().urls.opened, QStringList(2, ReferralUrl));
    }

    // A huge paste is cut to what could ever be sent, with or without text kept around it, and
    // typing at that length adds nothing.
    void pasteIsCut_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("kept"); // null: everything selected and replaced
        for (int i = 0; i < 5; ++i)
            QTest::newRow(qPrintable(fieldNames[i])) << i << QString();
        QTest::newRow("txtName, after a name") << 0 << "Jane";
        QTest::newRow("txtMessage, after a line") << 2 << "Hi\r\n";
    }
    void pasteIsCut()
    {
        QFETCH(int, index);
        QFETCH(QString, kept);
        QWidget *box = field(index);
        QVERIFY(tabTo(box));
        if (kept.isNull()) {
            QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        } else {
            PromptFields::setTextOf(box, kept);
            QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
        }
        QApplication::clipboard()->setText(QString(10'000'000, u'x'));
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QApplication::clipboard()->clear();
        const qsizetype longest = modTellAFriend::LongestFieldText();
        // A line break is one character in the box, two in its text.
        const qsizetype inBox = longest + kept.count(QStringLiteral("\r\n"));
        const QString pasted = PromptFields::textOf(box);
        QCOMPARE(pasted.size(), inBox);
        QVERIFY(pasted.startsWith(kept) && pasted.endsWith(u'x'));
        QTest::keyClicks(box, "yz");
        QCOMPARE(PromptFields::textOf(box).size(), inBox);
    }

    // Qt says when it cannot open an address, and names it; the query, which carries what the
    // user typed, is never part of what it says.
    void queryNeverLogged_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("named"); // what the message may show of the address
        const QString script = modTellAFriend::ReferralScriptUrl();
        QTest::newRow("referral") << script + "?taf1=Secret%20Jane&taf2=secret%40mail.example"
                                  << script + "?";
        const QString page = pages::onlineHelp();
        QTest::newRow("page without a query") << page << page;
    }
    void queryNeverLogged()
    {
        QFETCH(QString, address);
        QFETCH(QString, named);
        standIns().urls.stop(); // the platform itself is asked; the offscreen one cannot open pages
        static QStringList said;
        said.clear();
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &text) { said << text; });
        platform::openInBrowser(address);
        qInstallMessageHandler(previous);
        QVERIFY(!said.isEmpty());
        const QString all = said.join(u'\n');
        QVERIFY2(all.contains(named) && !all.contains("ecret", Qt::CaseInsensitive),
                 qPrintable(all));
    }

    // The same round trip below the window, over values no one would think of typing.
    void randomValuesRoundTrip()
    {
        static const QString awkward = QStringLiteral(" &=#+%?'\"/\\\t\r\n;:@.,<>[]{}|^`~");
        QRandomGenerator random(0x7AF1u); // fixed, so that a failure can be replayed
        for (int round = 0; round < 3000 && !QTest::currentTestFailed(); ++round) {
            QStringList values(5);
            for (QString &value : values)
                for (int length = random.bounded(25); length > 0; --length) {
                    const int kind = random.bounded(5); // awkward, printable ASCII, BMP, any
                    const char32_t point =
                        kind < 2    ? awkward.at(random.bounded(int(awkward.size()))).unicode()
                        : kind == 2 ? random.bounded(32, 127)
                                    : random.bounded(kind == 3 ? 0x10000 : 0x110000);
                    if (!QChar::isSurrogate(point)) // half a pair is no text at all
                        value += QString::fromUcs4(&point, 1);
                }
            using namespace modTellAFriend;
            SenderName = values[0];
            SenderEmail = values[1];
            MessageText = values[2];
            FriendName = values[3];
            FriendEmail = values[4];
            const QString address = BuildReferralUrl();
            checkRequest(address, values);
            platform::openInBrowser(address); // nothing on the way may encode or decode it again
            QCOMPARE(std::exchange(standIns().urls.opened, {}), QStringList{address});
        }
    }
};

QTEST_MAIN(TestReferral)
#include "tst_referral.moc"
