#pragma once

#include <QString>

// The program reaches the web only through these: each opens one fixed address
// in the default browser, returns at once and ignores the outcome.
namespace modHelp {

void OpenSoftwareCatalog();
void OpenDonatePage();
void OpenOnlineHelp();
void OpenCoBrandInfo();
void OpenFullyBrandedInfo();
void OpenHomePage();
void OpenDownloadPage();

// What a screen reader says a link to the page does, whichever window holds it.
namespace describe {
inline constexpr char homePage[] = "Opens the Quorvel forum's home page in your web browser";
inline constexpr char softwareCatalog[] =
    "Opens the catalogue of Ondrel Softwares in your web browser";
inline constexpr char coBrandInfo[] =
    "Opens the page about co-branding this software in your web browser";
inline constexpr char fullyBrandedInfo[] =
    "Opens the page about a fully branded edition in your web browser";
} // namespace describe

// The address of a page on one of the build's web hosts (webhosts::).
QString pageAddress(const char *host, const char *path);

// The forum's home page exactly as OpenHomePage opens it: scheme and host, no
// trailing slash. The About window shows it.
QString homePageAddress();

} // namespace modHelp
