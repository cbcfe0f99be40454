#include "windows/exit_window.h"

#include "common/product.h"
#include "common/random.h"
#include "common/text_rules.h"
#include "forms/form_checks.h"
#include "forms/form_label.h"
#include "forms/form_style.h"
#include "forms/multiline_text_box.h"
#include "forms/prompt_fields.h"
#include "links/link_commands.h"
#include "links/referral.h"
#include "platform/message_box.h"
#include "platform/topmost.h"
#include "windows/window_registry.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

namespace windows {
namespace {
using form::Kind;
using namespace form;
using namespace style;

const char *const supportTexts[] = {
    "Ondrel Softwares, such as this can be created and maintained only with your support. The "
    "best way to support Quorvel is to visit Quorvel regularly and take part in the discussions "
    "and other activities on the board.",
    "Visit Quorvel regularly. Support Quorvel by taking part in the discussions and other "
    "activities. These softwares cannot be supported and maintained, without you regularly "
    "visiting Quorvel",
    "Quorvel is a FREE online discussion forum for all things ondrel. To help Quorvel develop "
    "and maintain this software visit Quorvel regularly.",
    "Quorvel needs your help. All you need to do is visit Quorvel regularly and take part in the "
    "various discussions and activites to help us maintain and develop more Ondrel Softwares.",
};

// Two paragraphs kept apart by a run of 61 blanks, as the label wraps them.
constexpr char catalogueText[] =
    "If you have enjoyed this software you will surely be interested in our other Ondrel "
    "Softwares. What began years ago as a single little program has since grown into a large "
    "collection of softwares on astrology, psychic subjects, tarot, numerology and the occult. "
    "Each one of them is simple to use, fun to play with and very informative at the same time."
    "                                                             "
    "So go ahead and try them out for yourself today, and do not forget to share the whole "
    "experience with your friends and family, for they too may find something in our softwares "
    "that truly delights them. ";

// The message box shows its prompt with a line break after it, as typed in
// the design.
struct WithLineBreak
{
    char text[sizeof(modTellAFriend::prompt::message) + 2];
};
constexpr WithLineBreak withLineBreak(const char *prompt)
{
    WithLineBreak shown{};
    std::size_t i = 0;
    for (; prompt[i]; ++i)
        shown.text[i] = prompt[i];
    shown.text[i] = '\r';
    shown.text[i + 1] = '\n';
    return shown;
}
using namespace modTellAFriend;
constexpr WithLineBreak messageShown = withLineBreak(prompt::message);

// The message box lies below the frame's visible area: only Tab reaches it.
// clang-format off
constexpr Control formTable[] = {
//   parent    kind                name              caption                               left  top   width height font                    {text, back}     tab flags
    {nullptr,  Kind::Button,       "cmdClose",       "E&xit",                              6000, 2760, 1245,  375, {},                     {},               0, NoFlags},
    {nullptr,  Kind::ToggleButton, "Check1",         "Click Here To Visit Quorvel Now",      30, 2040, 7185,  555, verdana1425,            {darkBlue, -1},   1, HandPointer},
    {nullptr,  Kind::Picture,      "Picture1",       nullptr,                               360,  120,  540,  540, {},                     {},               2, NoFlags, "Thymara icon"},
    {nullptr,  Kind::Label,        "Label1",         common::product::windowTitle,         1080,  240, 5325,  435, msSansSerif18,          {},               6, NoFlags},
    {nullptr,  Kind::Label,        "Label2",         nullptr,                               120,  840, 6975, 1095, verdana975Bold,         {black, -1},      7, NoFlags},
    {nullptr,  Kind::Frame,        "Frame2",         "Refer A Friend",                      120, 3240, 7065, 1455, verdana975Bold,         {white, navy},    8, NoFlags},
    {"Frame2", Kind::Text,         "txtName",        prompt::senderName,                     85,  360, 3375,  285, msSansSerif,            {},               9, NoFlags, "Your name"},
    {"Frame2", Kind::Button,       "cmdSubmit",      "Refer A Friend &Now",                1920, 1080, 3375,  285, verdanaBold,            {},              10, NoFlags},
    {"Frame2", Kind::Text,         "txtEmail",       prompt::senderEmail,                  3600,  360, 3375,  285, msSansSerif,            {},              11, NoFlags, "Your email address"},
    {"Frame2", Kind::Text,         "txtFriendEmail", prompt::friendEmail,                  3600,  720, 3375,  285, msSansSerif,            {},              12, NoFlags, "Friend's email address"},
    {"Frame2", Kind::Text,         "txtFriendName",  prompt::friendName,                     85,  720, 3375,  285, msSansSerif,            {},              13, NoFlags, "Friend's name"},
    {"Frame2", Kind::MultiText,    "txtMessage",     messageShown.text,                    4800, 3600, 1815,  495, msSansSerif,            {},              14, NoFlags, "Your message"},
    {nullptr,  Kind::Frame,        "Frame6",         "Download Ondrel Softwares",          7320,  120, 3735, 4575, verdana975Bold,         {white, navy},   15, NoFlags},
    {"Frame6", Kind::Label,        "Label3",         catalogueText,                         120,  360, 3495, 3855, verdana9,               {white, -1},     16, NoFlags},
    {"Frame6", Kind::Label,        "lblGoToHome",    "Click Here To Visit Ondrel Softwares",  75, 4250, 3585,  210, verdana9BoldUnderlined, {yellow, -1},    17, HandPointer},
};

constexpr Link links[] = {
    {"lblGoToHome", &modHelp::OpenSoftwareCatalog, modHelp::describe::softwareCatalog},
};
// clang-format on

static_assert(wellFormed(formTable));
static_assert(linksResolve(links, formTable));
} // namespace

// The message box about the e-mail addresses does not say which field is at
// fault, and the user comes back to the button that sent them: after OK Orca
// has to say "Refer A Friend Now push button. Your email address: Please
// Enter Proper Email Address." (scripts/orca_check.sh). The button says it
// (its accessible name and the message) until a field at fault is edited.
// The other messages name their field themselves.
class FaultWatch : public QObject
{
public:
    explicit FaultWatch(QAbstractButton *button) : QObject(button), m_button(button) {}

    // No fields, or no message: the button says nothing more.
    void describe(const QList<QLineEdit *> &fields, const QString &message)
    {
        for (const QMetaObject::Connection &edit : std::exchange(m_edits, {}))
            QObject::disconnect(edit);
        if (fields.isEmpty() || message.isEmpty()) {
            m_button->setAccessibleDescription(QString());
            return;
        }
        QStringList names;
        for (QLineEdit *field : fields) {
            QAccessibleInterface *face = QAccessible::queryAccessibleInterface(field);
            names.append(face ? face->text(QAccessible::Name) : field->accessibleName());
            m_edits.append(
                connect(field, &QLineEdit::textEdited, this, [this] { describe({}, QString()); }));
        }
        m_button->setAccessibleDescription(names.join(QStringLiteral(" and ")) +
                                           QStringLiteral(": ") + message);
    }

private:
    QAbstractButton *m_button;
    QList<QMetaObject::Connection> m_edits;
};

QString ExitWindow::supportText(int index)
{
    return QString::fromLatin1(supportTexts[index]);
}

ExitWindow::ExitWindow()
    : form::FormWindow({"frmNagScreen2", 11115, 4725, white, formTable, msSansSerif, links})
{

    m_label2 = control<form::FormLabel>("Label2");
    m_check1 = control<QPushButton>("Check1");
    m_cmdClose = control<QPushButton>("cmdClose");
    m_cmdSubmit = control<QPushButton>("cmdSubmit");
    m_txtName = control<QLineEdit>("txtName");
    m_txtEmail = control<QLineEdit>("txtEmail");
    m_txtFriendName = control<QLineEdit>("txtFriendName");
    m_txtFriendEmail = control<QLineEdit>("txtFriendEmail");
    m_txtMessage = control<form::MultiLineTextBox>("txtMessage");

    // No field holds more than could ever be sent: a huge paste is cut at
    // once instead of swelling the process and slowing every key press.
    const int longest = static_cast<int>(modTellAFriend::LongestFieldText());
    for (QLineEdit *box : {m_txtName, m_txtEmail, m_txtFriendName, m_txtFriendEmail})
        box->setMaxLength(longest);
    m_txtMessage->setMaxLength(longest);

    // The design-time text; every load replaces it.
    m_label2->setCaption(supportText(1));

    m_prompts = new form::PromptFields(this);
    m_prompts->add(m_txtName, QString::fromLatin1(prompt::senderName), false);
    m_prompts->add(m_txtEmail, QString::fromLatin1(prompt::senderEmail), true);
    m_prompts->add(m_txtFriendName, QString::fromLatin1(prompt::friendName), false);
    m_prompts->add(m_txtFriendEmail, QString::fromLatin1(prompt::friendEmail), true);
    m_prompts->add(m_txtMessage, QString::fromLatin1(prompt::message), false);

    m_check1->setAccessibleDescription(QString::fromLatin1(modHelp::describe::homePage));
    connect(m_check1, &QPushButton::clicked, this, &ExitWindow::Check1_Click);
    connect(m_cmdClose, &QPushButton::clicked, this, &windows::endApplication);
    connect(m_cmdSubmit, &QPushButton::clicked, this, &ExitWindow::cmdSubmit_Click);
    m_faults = new FaultWatch(m_cmdSubmit);

    m_cmdClose->setFocus();
}

void ExitWindow::load()
{
    common::seedRandomFromClock();
    const float u = common::randomUnit();
    const int index = std::min(3, static_cast<int>(std::floor(u * 4.0f)));
    m_label2->setCaption(supportText(index));
    // Topmost from the start, without being shown or taking the focus now.
    platform::makeTopmost(this);
}

void ExitWindow::Check1_Click()
{
    // A click turns the button on; turning it straight off again makes it
    // behave as a plain push button that opens the forum once per click.
    if (!m_check1->isChecked())
        return;
    m_check1->setChecked(false);
    modHelp::OpenHomePage();
}

bool ExitWindow::CheckReferralAddresses()
{
    const QString a = textrules::trimSpaces(m_txtEmail->text());
    const QString b = textrules::trimSpaces(m_txtFriendEmail->text());
    const char *message = nullptr;
    const auto proper = [](const QString &address) {
        return address.contains(QLatin1Char('@')) && address.contains(QLatin1Char('.'));
    };
    QList<QLineEdit *> atFault;
    if (a == b) {
        message = "Please Enter Distinct Email Addresses";
        atFault = {m_txtEmail, m_txtFriendEmail};
    } else if (!proper(a) || !proper(b)) {
        message = "Please Enter Proper Email Address";
        atFault = {proper(a) ? m_txtFriendEmail : m_txtEmail};
    }
    m_faults->describe(atFault, QString::fromLatin1(message));
    if (!message)
        return true;
    platform::showMessage(QString::fromLatin1(message), platform::MessageIcon::Critical);
    return false;
}

void ExitWindow::cmdSubmit_Click()
{
    // A mouse click has already moved the focus here, the access key Alt+N
    // has not. Taking it now lets the field being left put its prompt back
    // before its text is read, whichever way the button was pressed.
    m_cmdSubmit->setFocus(Qt::ShortcutFocusReason);
    modTellAFriend::SenderName = textrules::trimSpaces(m_txtName->text());
    modTellAFriend::SenderEmail = textrules::trimSpaces(m_txtEmail->text());
    modTellAFriend::MessageText = textrules::trimSpaces(m_txtMessage->text());
    modTellAFriend::FriendName = textrules::trimSpaces(m_txtFriendName->text());
    modTellAFriend::FriendEmail = textrules::trimSpaces(m_txtFriendEmail->text());
    if (!CheckReferralAddresses())
        return;
    modTellAFriend::SubmitReferral();
}

void ExitWindow::closeHandling()
{
    endApplication();
}

} // namespace windows
