#include "support/test_support.h"

#include "app/shutdown.h"
#include "app/window_registry.h"
#include "platform/process_exit.h"

#include <QApplication>
#include <QDesktopServices>
#include <QTest>
#include <QWidget>

namespace testsupport {

UrlRecorder::UrlRecorder()
{
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
}

UrlRecorder::~UrlRecorder()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

void UrlRecorder::open(const QUrl &url)
{
    opened.append(QString::fromLatin1(url.toEncoded()));
}

MessageRecorder::MessageRecorder()
{
    platform::setMessageHandler([this](const QString &text, platform::MessageIcon icon,
                                       platform::MessageButtons buttons) {
        shown.append({text, icon, buttons});
        if (!m_queued.isEmpty())
            return m_queued.takeFirst();
        return buttons == platform::MessageButtons::YesNo ? fallbackAnswer
                                                          : platform::MessageAnswer::Ok;
    });
}

MessageRecorder::~MessageRecorder()
{
    platform::setMessageHandler({});
}

QStringList MessageRecorder::texts() const
{
    QStringList all;
    for (const Shown &s : shown)
        all.append(s.text);
    return all;
}

ExitRecorder::ExitRecorder()
{
    platform::setExitHandler([this](int status) { statuses.append(status); });
}

ExitRecorder::~ExitRecorder()
{
    platform::setExitHandler({});
}

QStringList visibleWindows()
{
    QStringList names;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && !w->objectName().isEmpty() && !w->inherits("QMenu"))
            names.append(w->objectName());
    names.sort();
    return names;
}

QStringList existingWindows()
{
    QStringList names;
    for (QWidget *w : app::existingWindows())
        names.append(w->objectName());
    names.sort();
    return names;
}

bool closeEverything()
{
    modHelp::EndApplication();
    return QTest::qWaitFor(
        [] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (!w->inherits("QMenu"))
                    return false;
            return true;
        },
        5000);
}

bool showAndActivate(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window, 5000);
}

} // namespace testsupport
