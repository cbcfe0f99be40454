#include "support/web_pages.h"

#include "links/web_hosts.h"

namespace testsupport {
namespace {
QString page(const char *host, const char *path = "")
{
    return QStringLiteral("http://") + QLatin1String(host) + QLatin1String(path);
}
} // namespace

namespace pages {
QString homePage()
{
    return page(webhosts::forumSite);
}
QString catalogue()
{
    return page(webhosts::forumSite, "/ondrelsoftwares");
}
QString referralScript()
{
    return page(webhosts::forumSite, "/zent-refer-a-friend.php");
}
QString productSite()
{
    return page(webhosts::productSite, "/");
}
QString onlineHelp()
{
    return page(webhosts::productSite, "/thymara-help.html");
}
QString download()
{
    return page(webhosts::productSite, "/download-thymara.html");
}
QString donate()
{
    return page(webhosts::helpSite, "/donate.html");
}
QString coBrand()
{
    return page(webhosts::helpSite, "/co-brand.html");
}
QString fullyBranded()
{
    return page(webhosts::helpSite, "/fully-branded.html");
}
} // namespace pages

QList<Binding> everyBinding()
{
    using namespace pages;
    QList<Binding> all;
    for (const QString window : {QStringLiteral("main"), QStringLiteral("result")}) {
        all += {
            {window, "Label61", Binding::Label, homePage()},
            {window, "lblCobrand", Binding::Label, coBrand()},
            {window, "lblFullBrand", Binding::Label, fullyBranded()},
            {window, "mnuOnline", Binding::MenuEntry, onlineHelp()},
            {window, "mnuVisit", Binding::MenuEntry, homePage()},
            {window, "mnuUpdate", Binding::MenuEntry, download()},
            {window, "mnuDonate", Binding::MenuEntry, donate()},
            // greyed out
            {window, "mkmoney", Binding::MenuEntry, {}},
        };
    }
    all += {
        {"main", "Label1", Binding::Label, {}},
        {"result", "Label1", Binding::Label, fullyBranded()},
        {"result", "Label5", Binding::Label, {}},
        {"result", "lblHerbsAil", Binding::Label, {}},
        {"about", "lblHomePage", Binding::Label, homePage()},
        // Despite its name it opens the fully-branded page.
        {"about", "lblCoBrand", Binding::Label, fullyBranded()},
        {"about", "Label3", Binding::Label, {}},
        {"exit", "Check1", Binding::Button, homePage()},
        {"exit", "lblGoToHome", Binding::Label, catalogue()},
        {"exit", "Label3", Binding::Label, {}},
    };
    return all;
}

} // namespace testsupport
