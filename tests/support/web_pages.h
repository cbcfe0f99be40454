#pragma once

#include <QList>
#include <QString>

// The pages the program opens, written out the way a reader of the web site
// would type them, and which control of which window opens which: one table
// for every test that follows a link.
namespace testsupport {

namespace pages {
QString homePage();       // the forum's home page
QString catalogue();      // the forum's software catalogue
QString referralScript(); // the forum's referral script, without a query
QString productSite();    // the product site's root, sent along with a referral
QString onlineHelp();
QString download();
QString donate();
QString coBrand();
QString fullyBranded();
} // namespace pages

// A control of a window and the page it opens; an empty address: it opens
// nothing, though it may look like a link.
struct Binding
{
    enum Kind { Label, MenuEntry, Button };

    // "main", "result", "about" or "exit"
    QString window;
    QString control; // object name of the control or menu entry
    Kind kind;
    QString address;
    QString tag() const { return window + QLatin1Char(' ') + control; }
};

// Every label, menu entry and button of every window that opens a page, and
// the labels beside them that open none. Each control opens its own page;
// which one lies in front at a spot is for the test to arrange.
QList<Binding> everyBinding();

} // namespace testsupport
