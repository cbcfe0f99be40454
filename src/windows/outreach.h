#pragma once

#include "forms/form_table.h"
#include "links/link_commands.h"

namespace form {
class FormWindow;
} // namespace form

namespace windows {

// The main and result windows carry the same forum banner, offer strip and
// Help and Donate menus.
namespace outreach {

// clang-format off
// The menu bar's last two entries, the same on both windows.
inline constexpr form::MenuRow menuTail[] = {
    {0, "mnuDonate", "&Donate"},
    // Never available to the user; shown greyed.
    {0, "mkmoney",   "Make Money &Online", false},
};

// The banner, the two offers and the web pages of the Help and Donate menus.
inline constexpr form::Link links[] = {
    {"Label61",      &modHelp::OpenHomePage,         modHelp::describe::homePage},
    {"lblCobrand",   &modHelp::OpenCoBrandInfo,      modHelp::describe::coBrandInfo},
    {"lblFullBrand", &modHelp::OpenFullyBrandedInfo, modHelp::describe::fullyBrandedInfo},
    {"mnuOnline",    &modHelp::OpenOnlineHelp},
    {"mnuVisit",     &modHelp::OpenHomePage},
    {"mnuUpdate",    &modHelp::OpenDownloadPage},
    {"mnuDonate",    &modHelp::OpenDonatePage},
    {"mkmoney",      &modHelp::OpenFullyBrandedInfo},
};
// clang-format on

// The Help menu's About entry opens the About window over the window.
void connectAbout(form::FormWindow *window);

} // namespace outreach
} // namespace windows
