#include "platform/browser.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform {

void openInBrowser(const QString &address)
{
    // Strict parsing keeps every percent escape exactly as given, so "%2B"
    // stays "%2B" instead of turning back into a "+" the server reads as a blank.
    const QUrl url = QUrl::fromEncoded(address.toLatin1(), QUrl::StrictMode);
    if (!url.isValid())
        return;
    (void)QDesktopServices::openUrl(url);
}

} // namespace platform
