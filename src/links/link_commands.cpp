#include "links/link_commands.h"

#include "links/web_hosts.h"
#include "platform/browser.h"

namespace modHelp {
namespace {
QString address(const char *host, const char *path)
{
    return QStringLiteral("http://") + QLatin1StringView(host) + QLatin1StringView(path);
}
} // namespace

QString homePageAddress()
{
    return address(webhosts::forumSite, "");
}

void OpenSoftwareCatalog()
{
    platform::openInBrowser(address(webhosts::forumSite, "/ondrelsoftwares"));
}

void OpenDonatePage()
{
    platform::openInBrowser(address(webhosts::helpSite, "/donate.html"));
}

void OpenOnlineHelp()
{
    platform::openInBrowser(address(webhosts::productSite, "/thymara-help.html"));
}

void OpenCoBrandInfo()
{
    platform::openInBrowser(address(webhosts::helpSite, "/co-brand.html"));
}

void OpenFullyBrandedInfo()
{
    platform::openInBrowser(address(webhosts::helpSite, "/fully-branded.html"));
}

void OpenHomePage()
{
    platform::openInBrowser(homePageAddress());
}

void OpenDownloadPage()
{
    platform::openInBrowser(address(webhosts::productSite, "/download-thymara.html"));
}

} // namespace modHelp
