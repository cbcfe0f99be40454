#include "links/referral.h"

#include "common/text_rules.h"
#include "links/link_commands.h"
#include "links/web_hosts.h"
#include "platform/browser.h"
#include "platform/message_box.h"

#include <QUrl>

namespace modTellAFriend {

QString SenderName;
QString SenderEmail;
QString MessageText;
QString FriendName;
QString FriendEmail;
QString ReferralUrl;

namespace {
QString component(const QString &value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

bool missing(const QString &value, const char *prompt)
{
    const QString trimmed = textrules::trimSpaces(value);
    return trimmed.isEmpty() || trimmed == QLatin1String(prompt);
}

QString requestAddress(const QString &senderName, const QString &senderEmail,
                       const QString &message, const QString &friendName,
                       const QString &friendEmail)
{
    return ReferralScriptUrl() + QStringLiteral("?taf1=") + component(senderName) +
           QStringLiteral("&taf2=") + component(senderEmail) + QStringLiteral("&taf3=") +
           component(message) + QStringLiteral("&taf4=") + component(friendName) +
           QStringLiteral("&taf5=") + component(friendEmail) + QStringLiteral("&taf6=") +
           component(ProductPageUrl());
}

void refuse(const char *message)
{
    platform::showMessage(QString::fromLatin1(message), platform::MessageIcon::Critical);
}
} // namespace

QString ReferralScriptUrl()
{
    return modHelp::pageAddress(webhosts::forumSite, "/zent-refer-a-friend.php");
}

QString ProductPageUrl()
{
    return modHelp::pageAddress(webhosts::productSite, "/");
}

QString BuildReferralUrl()
{
    return requestAddress(SenderName, SenderEmail, MessageText, FriendName, FriendEmail);
}

qsizetype LongestFieldText()
{
    static const qsizetype frame = requestAddress({}, {}, {}, {}, {}).size();
    return MaxReferralUrlLength - frame;
}

void SubmitReferral()
{
    if (missing(SenderName, prompt::senderName)) {
        refuse("Please Enter Your Name");
        return;
    }
    if (missing(MessageText, prompt::message)) {
        refuse("Please Enter Your Message");
        return;
    }
    if (missing(FriendName, prompt::friendName)) {
        refuse("Please Enter Your Friend's Name");
        return;
    }
    // Checked last, so that a missing value is named first: filling it in
    // would not make the address any shorter.
    const QString address = BuildReferralUrl();
    if (address.size() > MaxReferralUrlLength) {
        refuse("The referral is too long to send. Please shorten the text you entered.");
        return;
    }
    ReferralUrl = address;
    OpenReferralPage();
}

void OpenReferralPage()
{
    platform::openInBrowser(ReferralUrl);
}

} // namespace modTellAFriend
