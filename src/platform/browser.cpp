#include "platform/browser.h"

#include <QByteArray>
#include <QDesktopServices>
#include <QList>
#include <QUrl>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

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

// The helper Qt starts (xdg-open) and the browser it starts in turn inherit
// this process's standard output and error and may print the address there.
// They get /dev/null instead while the address is handed over.
class QuietStandardStreams
{
public:
    QuietStandardStreams()
    {
#ifdef Q_OS_UNIX
        std::fflush(stdout);
        std::fflush(stderr);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null < 0)
            return;
        for (int fd : {1, 2}) {
            m_saved[fd - 1] = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
            if (m_saved[fd - 1] >= 0)
                ::dup2(null, fd);
        }
        ::close(null);
#endif
    }
    ~QuietStandardStreams()
    {
#ifdef Q_OS_UNIX
        std::fflush(stdout);
        std::fflush(stderr);
        for (int fd : {1, 2}) {
            if (m_saved[fd - 1] < 0)
                continue;
            ::dup2(m_saved[fd - 1], fd);
            ::close(m_saved[fd - 1]);
        }
#endif
    }
    QuietStandardStreams(const QuietStandardStreams &) = delete;
    QuietStandardStreams &operator=(const QuietStandardStreams &) = delete;

private:
    [[maybe_unused]] int m_saved[2] = {-1, -1};
};
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
