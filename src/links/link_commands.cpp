#include "links/link_commands.h"

#include "links/web_hosts.h"
#include "platform/browser.h"

namespace modHelp {

QString pageAddress(const char *host, const char *path)
{
    return QStringLiteral("http://") + QLatin1StringView(host) + QLatin1StringView(path);
}

QString homePageAddress()
{
    return pageAddress(webhosts::forumSite, "");
}

void OpenSoftwareCatalog()
{
    platform::openInBrowser(pageAddress(webhosts::forumSite, "/ondrelsoftwares"));
}

void OpenDonatePage()
{
    platform::openInBrowser(pageAddress(webhosts::helpSite, "/donate.html"));
}

void OpenOnlineHelp()
{
    platform::openInBrowser(pageAddress(webhosts::productSite, "/thymara-help.html"));
}

void OpenCoBrandInfo()
{
    platform::openInBrowser(pageAddress(webhosts::helpSite, "/co-brand.html"));
}

void OpenFullyBrandedInfo()
{
    platform::openInBrowser(pageAddress(webhosts::helpSite, "/fully-branded.html"));
}

void OpenHomePage()
{
    platform::openInBrowser(homePageAddress());
}

void OpenDownloadPage()
{
    platform::openInBrowser(pageAddress(webhosts::productSite, "/download-thymara.html"));
}

} // namespace modHelp
