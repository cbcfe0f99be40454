#include "platform/browser.h"

#include "platform/standard_streams.h"

#include <QByteArray>
#include <QDesktopServices>
#include <QList>
#include <QUrl>
#include <cstdio>

namespace platform {
namespace {
struct HeldMessage
{
    QtMsgType type;
    QByteArray file, function, category;
    int line;
    QString text;
};

QList<HeldMessage> *heldMessages = nullptr;

void holdMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    heldMessages->append(
        {type, context.file, context.function, context.category, context.line, text});
}

// Qt names the address it failed to open, in one form or another ("Launch
// failed (xdg-open <address>)"). The part before the query is the same in
// every form; everything after it is withheld.
QString withoutQuery(const QString &text, const QString &address)
{
    const qsizetype query = address.indexOf(QLatin1Char('?'));
    if (query < 0)
        return text;
    const qsizetype at = text.indexOf(address.left(query + 1));
    if (at < 0)
        return QStringLiteral("A message about opening %1 was withheld").arg(address.left(query));
    return text.left(at + query + 1) + QStringLiteral("[query withheld]");
}

} // namespace

void openInBrowser(const QString &address)
{
    // Strict parsing keeps every percent escape exactly as given, so "%2B"
    // stays "%2B" instead of turning back into a "+" the server reads as a blank.
    const QUrl url = QUrl::fromEncoded(address.toLatin1(), QUrl::StrictMode);
    if (!url.isValid())
        return;

    QList<HeldMessage> held;
    heldMessages = &held;
    const QtMessageHandler previous = qInstallMessageHandler(holdMessage);
    {
        QuietStandardStreams quiet;
        (void)QDesktopServices::openUrl(url);
    }
    qInstallMessageHandler(previous);
    heldMessages = nullptr;

    for (const HeldMessage &message : held) {
        const auto orNull = [](const QByteArray &b) {
            return b.isNull() ? nullptr : b.constData();
        };
        const QMessageLogContext context(orNull(message.file), message.line,
                                         orNull(message.function), orNull(message.category));
        const QString text = withoutQuery(message.text, address);
        if (previous)
            previous(message.type, context, text);
        else
            std::fprintf(stderr, "%s\n", qPrintable(text));
    }
}

} // namespace platform
