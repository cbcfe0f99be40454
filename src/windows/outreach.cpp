#include "windows/outreach.h"

#include "links/link_commands.h"
#include "windows/about_window.h"
#include "windows/form_label.h"
#include "windows/form_window.h"

#include <QAction>

namespace windows {
namespace {
struct Binding
{
    const char *name;
    void (*command)();
};

constexpr Binding labels[] = {
    {"Label61", &modHelp::OpenHomePage},
    {"lblCobrand", &modHelp::OpenCoBrandInfo},
    {"lblFullBrand", &modHelp::OpenFullyBrandedInfo},
};

constexpr Binding menuEntries[] = {
    {"mnuOnline", &modHelp::OpenOnlineHelp},     {"mnuVisit", &modHelp::OpenHomePage},
    {"mnuUpdate", &modHelp::OpenDownloadPage},   {"mnuDonate", &modHelp::OpenDonatePage},
    {"mkmoney", &modHelp::OpenFullyBrandedInfo},
};
} // namespace

void connectOutreach(FormWindow *window)
{
    for (const Binding &b : labels)
        if (auto *label = window->control<FormLabel>(b.name))
            QObject::connect(label, &FormLabel::clicked, window, b.command);
    for (const Binding &b : menuEntries)
        if (QAction *entry = window->menuAction(b.name))
            QObject::connect(entry, &QAction::triggered, window, b.command);
    if (QAction *about = window->menuAction("mnuAbout"))
        QObject::connect(about, &QAction::triggered, window,
                         [window] { AboutWindow::open(window); });
}

} // namespace windows
