#include "windows/about_window.h"

#include "common/identity.h"
#include "common/product.h"
#include "forms/form_checks.h"
#include "forms/form_label.h"
#include "forms/form_style.h"
#include "forms/form_window.h"
#include "links/link_commands.h"

#include <QCoreApplication>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace windows {
namespace {
using form::Kind;
using namespace form;
using namespace style;

// lblHomePage gets its text from the home page address when the window is built.
// clang-format off
constexpr Control formTable[] = {
//   parent   kind          name           caption                        left  top   width height font                   {text, back}       tab flags
    {nullptr, Kind::Picture, "picIcon",    nullptr,                        150,  150,  510,  510, {},                    {},                 2, TakesFocus, "Thymara icon"},
    {nullptr, Kind::Button,  "cmdOK",      "&OK",                         4680, 3615, 1260,  345, verdanaBold,           {-1, white},        1, NoFlags},
    {nullptr, Kind::Label,   "lblHomePage", nullptr,                      1320, 2160, 4650,  195, verdanaBoldUnderlined, {mediumBlue, -1},   3, AutoSize | HandPointer},
    {nullptr, Kind::Label,   "Label3",     "Home Business Opportunity. Start your own Internet business and make money online. Get this software fully branded for your website.",
                                                                           120, 2520, 5685,  675, verdanaBold,           {lightBlue, -1},    4, NoFlags},
    {nullptr, Kind::Label,   "lblCoBrand", "Click here for more details", 3360, 3240, 2610,  195, verdanaBoldUnderlined, {mediumBlue, -1},   5, AutoSize | HandPointer},
    {nullptr, Kind::Line,    "Line2",      nullptr,                          0, 3480, 6150,    0, {},                    {mediumBlue, -1},   6, NoFlags},
    {nullptr, Kind::Label,   "Label2",     common::product::windowTitle,  780,  285, 3510,  240, verdana975Bold,        {mediumBlue, -1},   7, AutoSize},
    {nullptr, Kind::Label,   "Label1",     "Thymara displays herbal remedies for different ailments based on Pagan beliefs. This tool helps you reduce the pain caused by different problems with the help of herbs. It also guides you on the application and use of these herbs.",
                                                                           120,  840, 5835,  975, verdana825,            {lightBlue, -1},    8, NoFlags},
};

constexpr Link links[] = {
    {"lblHomePage", &modHelp::OpenHomePage,         modHelp::describe::homePage},
    {"lblCoBrand",  &modHelp::OpenFullyBrandedInfo, modHelp::describe::fullyBrandedInfo},
};
// clang-format on

static_assert(wellFormed(formTable));
static_assert(linksResolve(links, formTable));

// Accessible actions reach the menu entries even while the About window
// blocks the windows they belong to.
QPointer<AboutWindow> openWindow;
bool opening = false;
} // namespace

AboutWindow::AboutWindow()
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    m_form.build(this, this, {"frmAbout", 6015, 4095, black, formTable, verdana825, links});
    m_form.connectLinks(this, links);
    auto *ok = m_form.control<QPushButton>("cmdOK");
    m_form.control<form::FormLabel>("lblHomePage")
        ->setCaption(QStringLiteral("Click here to visit ") + modHelp::homePageAddress());

    // OK is the default and the cancel button at once: Enter and Esc both close.
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ok->setFocus();
}

void AboutWindow::open(QWidget *opener)
{
    if (openWindow) {
        openWindow->raise();
        openWindow->activateWindow();
        return;
    }
    QPointer<QWidget> returnTo(opener);
    {
        AboutWindow about;
        openWindow = &about;
        about.setWindowModality(Qt::ApplicationModal);
        form::centreOnScreen(&about);
        about.exec();
    }
    if (returnTo) {
        returnTo->raise();
        returnTo->activateWindow();
    }
}

void AboutWindow::openSoon(QWidget *opener)
{
    if (opening)
        return;
    opening = true;
    QTimer::singleShot(0, QCoreApplication::instance(), [returnTo = QPointer<QWidget>(opener)] {
        opening = false;
        // A window closed in the meantime asks for nothing any more.
        const auto *form = qobject_cast<form::FormWindow *>(returnTo.data());
        if (returnTo && !(form && form->isClosed()))
            open(returnTo);
    });
}

} // namespace windows
