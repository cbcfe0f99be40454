#pragma once

#include <QFont>
#include <QHash>
#include <QString>
#include <span>

class QAction;
class QMenuBar;
class QWidget;

// Every window is a fixed form described by a table: one row per control in
// stored order, positions in twips. build() turns a table into widgets.
namespace form {

enum class Kind {
    Frame, // a box with an optional caption; holds other controls
    Label, // drawn on its container: always behind the windowed controls
    Button,
    Option,       // option button; those of one container form one group
    List,         // selection-only drop-down list
    Text,         // single-line text box
    MultiText,    // multi-line text box with a vertical scroll bar
    ToggleButton, // check box drawn as a push button
    Picture,      // shows the program icon
    Line,         // a one-pixel rule, drawn like a label
};

struct Font
{
    const char *family = nullptr; // nullptr: the window's font
    double points = 0;
    bool bold = false;
    bool underline = false;
};

// 0xRRGGBB; -1 leaves the toolkit's own colour.
struct Colours
{
    int text = -1;
    int back = -1; // for labels: an opaque background
};

enum Flag : unsigned {
    NoFlags = 0,
    Centred = 1u << 0,
    HandPointer = 1u << 1,
    AutoSize = 1u << 2,   // a label on one line whose box follows its text
    Selected = 1u << 3,   // option button selected when the form is built
    TakesFocus = 1u << 4, // a picture box in the tab order
};

struct Control
{
    const char *parent; // nullptr: the window's client area
    Kind kind;
    const char *name;
    const char *caption;          // nullptr: none
    int left, top, width, height; // twips
    Font font;
    Colours colours;
    int tab; // tab index; only controls that can take the focus use it
    unsigned flags;
};

// A menu-bar row. Level 0 rows lie on the bar; the level 1 rows after one make
// it a drop-down menu. A caption of "-" is a separator.
struct MenuRow
{
    int level;
    const char *name;
    const char *caption;
    bool enabled = true;
};

// What a screen reader says for a control with no visible text of its own,
// and where a link label leads.
struct Accessible
{
    const char *name;
    const char *accessibleName; // nullptr: the control's own text serves
    const char *description = nullptr;
};

// 15 twips make one logical pixel (1/96 inch); Qt scales logical pixels on
// high-density screens by itself.
constexpr int px(int twips)
{
    return (twips + 7) / 15;
}

// Font sizes are set in pixels derived at 96 dpi so that text stays in
// proportion with the twip geometry on any screen.
QFont makeFont(const Font &font, const QFont &base);

// Builds the controls of a table into client, which gets windowFont. Stacking
// follows stored order (first row in front, labels behind everything else in
// their container), the tab order follows the tab indices, and every control
// is named by objectName. Returns the controls by name.
QHash<QString, QWidget *> build(QWidget *client, std::span<const Control> table,
                                const Font &windowFont);

void describe(const QHash<QString, QWidget *> &controls, std::span<const Accessible> rows);

// Fills a menu bar from its rows; returns the actions by name (a drop-down
// menu's own action under the menu's name).
QHash<QString, QAction *> buildMenu(QMenuBar *bar, std::span<const MenuRow> rows);

// The text a caption shows: "&" marks the access key and is not shown, "&&"
// shows one "&".
QString shownCaption(const char *caption);

} // namespace form
