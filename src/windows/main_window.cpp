#include "windows/main_window.h"

#include "accessibility/list_following.h"
#include "catalogue/catalogue.h"
#include "forms/form_checks.h"
#include "forms/form_label.h"
#include "forms/form_style.h"
#include "windows/exit_window.h"
#include "windows/offer_texts.h"
#include "windows/outreach.h"
#include "windows/result_window.h"
#include "windows/window_registry.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

namespace windows {
namespace {
using form::Kind;
using namespace form;
using namespace style;

// clang-format off
constexpr Control formTable[] = {
//   parent    kind          name            caption                                   left  top   width height font                   {text, back}           tab flags
    {nullptr,  Kind::Frame,  "Frame2",       nullptr,                                     0,    0, 7620,  615, {},                    {-1, black},            1, NoFlags},
    {"Frame2", Kind::Label,  "Label61",      captions::forumBanner,                     510,  120, 6600,  465, verdanaBoldUnderlined, {lightBlue, -1},        2, Centred | HandPointer},
    {nullptr,  Kind::Frame,  "Frame1",       "Choose one of the following options",     540, 1440, 6540, 2175, {},                    {lightBlue, black},     3, NoFlags},
    {"Frame1", Kind::Button, "cmdNext",      "&Next",                                   960, 1680, 4575,  375, verdanaBold,           {-1, white},           10, NoFlags},
    {"Frame1", Kind::Option, "Option1",      "Search by Herb",                          960, 1230, 2175,  255, verdanaBold,           {mediumBlue, black},    9, NoFlags},
    {"Frame1", Kind::Option, "optAilment",   "Search by Ailment",                       960,  510, 2175,  255, verdanaBold,           {mediumBlue, black},    8, Selected},
    {"Frame1", Kind::List,   "cmbHerb",      nullptr,                                  3360, 1200, 2175,  315, verdanaBold,           {mediumBlue, black},    7, NoFlags, "Herb"},
    {"Frame1", Kind::List,   "cmbAilment",   nullptr,                                  3360,  480, 2175,  315, verdanaBold,           {mediumBlue, black},    6, NoFlags, "Ailment"},
    {nullptr,  Kind::Frame,  "Frame5",       nullptr,                                     0, 3720, 7620,  900, {},                    {-1, black},            0, NoFlags},
    {"Frame5", Kind::Label,  "lblFullBrand", captions::fullBrandOffer,                  698,  160, 6225,  615, verdanaBoldUnderlined, {lightBlue, black},     5, Centred | HandPointer},
    {"Frame5", Kind::Label,  "lblCobrand",   captions::coBrandOffer,                    698,  160, 6225,  615, verdanaBoldUnderlined, {lightBlue, black},     4, Centred | HandPointer},
    {nullptr,  Kind::Label,  "Label1",       "Have a toothache? Or are you suffering from severe cough. Here is an easy and safe easy way to get relief. Follow the Pagan principles and get better with the help of herbs.",
                                                                                        120,  720, 7335,  735, verdana9Bold,          {mediumBlue, -1},      11, Centred},
};

constexpr MenuRow menuTable[] = {
    {0, "mnuFile",   "&File"},
    {1, "mnuExit",   "E&xit"},
    {0, "mnuHelp",   "&Help"},
    {1, "mnuOnline", "&Online Help"},
    {1, "mnuVisit",  "&Visit Us Online"},
    {1, "mnuHelp1",  "-"},
    {1, "mnuUpdate", "Check for Software &Update"},
    {1, "mnuHelp2",  "-"},
    {1, "mnuAbout",  "&About Software"},
};
// clang-format on

static_assert(wellFormed(formTable));
static_assert(wellFormed(std::span<const MenuRow>(menuTable)));
static_assert(linksResolve(outreach::links, formTable, {menuTable, outreach::menuTail}));
} // namespace

MainWindow::MainWindow()
    : form::FormWindow({"frmMain", 7620, 4620, black, formTable, verdana825, outreach::links},
                       {menuTable, outreach::menuTail})
{

    m_cmbAilment = control<QComboBox>("cmbAilment");
    m_cmbHerb = control<QComboBox>("cmbHerb");
    m_optAilment = control<QRadioButton>("optAilment");
    m_option1 = control<QRadioButton>("Option1");
    m_cmdNext = control<QPushButton>("cmdNext");
    m_lblCobrand = control<form::FormLabel>("lblCobrand");
    m_lblFullBrand = control<form::FormLabel>("lblFullBrand");
    for (QComboBox *list : {m_cmbAilment, m_cmbHerb})
        accessibility::followList(list);

    connect(m_optAilment, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            m_cmbAilment->setEnabled(true);
            m_cmbHerb->setEnabled(false);
        }
    });
    connect(m_option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            m_cmbAilment->setEnabled(false);
            m_cmbHerb->setEnabled(true);
        }
    });
    connect(m_cmdNext, &QPushButton::clicked, this, &MainWindow::cmdNext_Click);

    connect(menuAction("mnuExit"), &QAction::triggered, this, &QWidget::close);
    outreach::connectAbout(this);

    m_cmbAilment->setFocus();
}

void MainWindow::load()
{
    for (const QString &name : catalogue::ailmentNames())
        m_cmbAilment->addItem(name);
    for (const QString &name : catalogue::herbNames())
        m_cmbHerb->addItem(name);
    m_cmbHerb->setEnabled(false);
    m_cmbAilment->setCurrentIndex(0);
    m_cmbHerb->setCurrentIndex(0);
}

void MainWindow::cmdNext_Click()
{
    ResultWindow *display = frmDisplay();
    display->lblAilmentNameAil()->setCaption(m_cmbAilment->currentText());
    display->lblHerbNameHer()->setCaption(m_cmbHerb->currentText());

    if (const auto ailment = catalogue::lookupAilment(m_cmbAilment->currentText())) {
        display->lblHerbsAil()->setCaption(ailment->line);
        display->lblPaganHerbalRemedyAil()->setCaption(ailment->remedy);
    }
    if (const auto herb = catalogue::lookupHerb(m_cmbHerb->currentText())) {
        display->lblAilmentNameHer()->setCaption(herb->line);
        display->lblPaganHerbalRemedyHer()->setCaption(herb->remedy);
    }

    display->bringFrameToFront(m_optAilment->isChecked() ? display->fraAilment()
                                                         : display->fraHerb());
    hide();
    display->show();
    frmNagScreen2()->hide();
}

void MainWindow::closeHandling()
{
    frmNagScreen2()->show();
}

} // namespace windows
