#include "links/referral.h"

#include "common/text_rules.h"
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

void refuse(const char *message)
{
    platform::showMessage(QString::fromLatin1(message), platform::MessageIcon::Critical);
}
} // namespace

QString ReferralScriptUrl()
{
    return QStringLiteral("http://") + QLatin1StringView(webhosts::forumSite) +
           QStringLiteral("/zent-refer-a-friend.php");
}

QString ProductPageUrl()
{
    return QStringLiteral("http://") + QLatin1StringView(webhosts::productSite) +
           QStringLiteral("/");
}

QString BuildReferralUrl()
{
    return ReferralScriptUrl() + QStringLiteral("?taf1=") + component(SenderName) +
           QStringLiteral("&taf2=") + component(SenderEmail) + QStringLiteral("&taf3=") +
           component(MessageText) + QStringLiteral("&taf4=") + component(FriendName) +
           QStringLiteral("&taf5=") + component(FriendEmail) + QStringLiteral("&taf6=") +
           component(ProductPageUrl());
}

void SubmitReferral()
{
    if (missing(SenderName, "Your Name")) {
        refuse("Please Enter Your Name");
        return;
    }
    if (missing(MessageText, "Your Message")) {
        refuse("Please Enter Your Message");
        return;
    }
    if (missing(FriendName, "Friend's Name")) {
        refuse("Please Enter Your Friend's Name");
        return;
    }
    ReferralUrl = BuildReferralUrl();
    OpenReferralPage();
}

void OpenReferralPage()
{
    platform::openInBrowser(ReferralUrl);
}

} // namespace modTellAFriend
