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

// The forum's home page exactly as OpenHomePage opens it: scheme and host, no
// trailing slash. The About window shows it.
QString homePageAddress();

} // namespace modHelp
