#include "windows/result_window.h"

#include "accessibility/reading_order.h"
#include "forms/form_checks.h"
#include "forms/form_label.h"
#include "forms/form_style.h"
#include "links/link_commands.h"
#include "windows/exit_window.h"
#include "windows/main_window.h"
#include "windows/offer_texts.h"
#include "windows/outreach.h"
#include "windows/window_registry.h"

#include <QAction>
#include <QGroupBox>
#include <QPointer>
#include <QPushButton>

namespace windows {
namespace {
using form::Kind;
using namespace form;
using namespace style;

// Value labels carry their own names until Next writes them.
// clang-format off
constexpr Control formTable[] = {
//   parent        kind          name                       caption                       left  top   width height font                   {text, back}        tab flags
    {nullptr,      Kind::Button, "cmdBack",                 "&Back",                      1920, 3720, 7740,  450, verdanaBold,           {-1, white},        20, NoFlags},
    {nullptr,      Kind::Button, "cmdExit",                 "&Exit",                       533, 3720, 1260,  450, verdanaBold,           {-1, white},        19, NoFlags},
    {nullptr,      Kind::Frame,  "Frame2",                  nullptr,                         0,    0, 10215, 615, msSansSerif,           {-1, black},         0, NoFlags},
    {"Frame2",     Kind::Label,  "Label61",                 captions::forumBanner,         120,  120, 9960,  585, verdanaBoldUnderlined, {lightBlue, -1},     1, Centred | HandPointer},
    {nullptr,      Kind::Frame,  "Frame5",                  nullptr,                         0, 4200, 10215, 855, msSansSerif,           {-1, black},         2, NoFlags},
    {"Frame5",     Kind::Label,  "lblCobrand",              captions::coBrandOffer,        248,  240, 9705,  495, verdanaBoldUnderlined, {lightBlue, black},  3, Centred | HandPointer},
    {"Frame5",     Kind::Label,  "lblFullBrand",            captions::fullBrandOffer,      248,  240, 9705,  495, verdanaBoldUnderlined, {lightBlue, black},  4, Centred | HandPointer},
    {nullptr,      Kind::Frame,  "fraHerb",                 "Thymara Result",              533,  720, 9135, 2895, verdana9Bold,          {lightBlue, black},  6, NoFlags},
    {"fraHerb",    Kind::Label,  "lblPaganHerbalRemedyHer", "lblPaganHerbalRemedyHer",     360, 1680, 8655, 1155, {},                    {lightBlue, -1},    18, NoFlags},
    {"fraHerb",    Kind::Label,  "lblAilmentNameHer",       "lblAilmentNameHer",          2880,  840, 1890,  195, verdanaBold,           {lightBlue, -1},    17, AutoSize},
    {"fraHerb",    Kind::Label,  "lblHerbNameHer",          "lblHerbNameHer",             2880,  360, 1605,  195, verdanaBold,           {lightBlue, -1},    16, AutoSize},
    {"fraHerb",    Kind::Label,  "Label6",                  "Pagan Herbal Remedy",         360, 1320, 2145,  195, verdanaBoldUnderlined, {mediumBlue, -1},   12, AutoSize},
    {"fraHerb",    Kind::Label,  "Label5",                  "Ailment Name",                360,  840, 1365,  195, verdanaBoldUnderlined, {mediumBlue, -1},   11, AutoSize},
    {"fraHerb",    Kind::Label,  "Label4",                  "Herb Name",                   360,  360, 1080,  195, verdanaBoldUnderlined, {mediumBlue, -1},   10, AutoSize},
    {nullptr,      Kind::Frame,  "fraAilment",              nullptr,                       533,  720, 9135, 2895, {},                    {-1, black},         5, NoFlags},
    {"fraAilment", Kind::Label,  "lblPaganHerbalRemedyAil", "lblPaganHerbalRemedyAil",     360, 1560, 8655, 1155, {},                    {lightBlue, -1},    15, NoFlags},
    {"fraAilment", Kind::Label,  "lblHerbsAil",             "lblHerbsAil",                2880,  840, 1065,  195, verdanaBold,           {lightBlue, -1},    14, AutoSize},
    {"fraAilment", Kind::Label,  "lblAilmentNameAil",       "lblAilmentNameAil",          2880,  360, 1800,  195, verdanaBold,           {lightBlue, -1},    13, AutoSize},
    {"fraAilment", Kind::Label,  "Label3",                  "Pagan Herbal Remedy",         360, 1320, 2145,  195, verdanaBoldUnderlined, {mediumBlue, -1},    9, AutoSize},
    {"fraAilment", Kind::Label,  "Label2",                  "Herbs",                       360,  840,  570,  195, verdanaBoldUnderlined, {mediumBlue, -1},    8, AutoSize},
    {"fraAilment", Kind::Label,  "Label1",                  "Ailment Name",                360,  360, 1365,  195, verdanaBoldUnderlined, {mediumBlue, -1},    7, AutoSize},
};

constexpr MenuRow menuTable[] = {
    {0, "mnuFile",     "&File"},
    {1, "mnuFileBack", "&Back"},
    {1, "mnuExit",     "E&xit"},
    {0, "mnuHelp",     "&Help"},
    {1, "mnuOnline",   "&Online Help"},
    {1, "mnuVisit",    "&Visit Us Online"},
    {1, "mnuFileSep1", "-"},
    {1, "mnuUpdate",   "&Check for Software Update"},
    {1, "mnuFileSep2", "-"},
    {1, "mnuAbout",    "&About Software"},
};

// The heading of the ailment frame is a link as well.
constexpr Link ownLinks[] = {
    {"Label1", &modHelp::OpenFullyBrandedInfo, modHelp::describe::fullyBrandedInfo},
};
constexpr auto links = join(outreach::links, ownLinks);
// clang-format on

static_assert(wellFormed(formTable));
static_assert(wellFormed(std::span<const MenuRow>(menuTable)));
static_assert(linksResolve(links, formTable, {menuTable, outreach::menuTail}));
} // namespace

ResultWindow::ResultWindow()
    : form::FormWindow({"frmDisplay", 10230, 5055, black, formTable, verdana825, links},
                       {menuTable, outreach::menuTail})
{

    m_fraAilment = control<QGroupBox>("fraAilment");
    m_fraHerb = control<QGroupBox>("fraHerb");
    m_lblAilmentNameAil = control<form::FormLabel>("lblAilmentNameAil");
    m_lblHerbsAil = control<form::FormLabel>("lblHerbsAil");
    m_lblPaganHerbalRemedyAil = control<form::FormLabel>("lblPaganHerbalRemedyAil");
    m_lblHerbNameHer = control<form::FormLabel>("lblHerbNameHer");
    m_lblAilmentNameHer = control<form::FormLabel>("lblAilmentNameHer");
    m_lblPaganHerbalRemedyHer = control<form::FormLabel>("lblPaganHerbalRemedyHer");
    m_cmdBack = control<QPushButton>("cmdBack");
    m_cmdExit = control<QPushButton>("cmdExit");

    setDefaultButton(m_cmdExit);
    setCancelButton(m_cmdExit);

    connect(m_cmdBack, &QPushButton::clicked, this, &ResultWindow::cmdBack_Click);
    connect(m_cmdExit, &QPushButton::clicked, this, &ResultWindow::cmdExit_Click);

    connect(menuAction("mnuFileBack"), &QAction::triggered, this, &ResultWindow::cmdBack_Click);
    connect(menuAction("mnuExit"), &QAction::triggered, this, &ResultWindow::cmdExit_Click);
    outreach::connectAbout(this);

    m_cmdExit->setFocus();
}

void ResultWindow::bringFrameToFront(QGroupBox *frame)
{
    bringToFront(frame);
    // The outcome is read with the button that has the focus, in a screen
    // reader's say-all as well.
    accessibility::describeWithFrame(m_cmdExit, frame);
}

void ResultWindow::cmdBack_Click()
{
    MainWindow *main = frmMain();
    main->show();
    // Closing shows the exit window and Back hides it again at once. The
    // window system never sees it: a window mapped and unmapped in one go may
    // still be activated by the window manager, and activating a hidden window
    // moves its focus on from Exit, unseen, for a screen reader to announce.
    QPointer<ExitWindow> waiting = existingNagScreen();
    const bool hidden = waiting && waiting->isHidden();
    if (hidden)
        waiting->setAttribute(Qt::WA_DontShowOnScreen);
    close();
    frmNagScreen2()->hide();
    if (hidden && waiting)
        waiting->setAttribute(Qt::WA_DontShowOnScreen, false);
    main->activateWindow();
}

void ResultWindow::cmdExit_Click()
{
    close();
}

void ResultWindow::closeHandling()
{
    frmNagScreen2()->show();
}

} // namespace windows
