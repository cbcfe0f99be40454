#pragma once

#include <QFont>
#include <QHash>
#include <QString>
#include <array>
#include <initializer_list>
#include <span>
#include <string_view>

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
    // What a screen reader says for a control with no visible text of its own.
    const char *accessibleName = nullptr;
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

// A label or menu entry that opens a web page: clicking it runs the command.
// A label also tells a screen reader where it leads.
struct Link
{
    const char *name;
    void (*command)();
    const char *description = nullptr;
};

// One window's links after another's shared ones.
template <std::size_t N, std::size_t M>
constexpr std::array<Link, N + M> join(const Link (&first)[N], const Link (&second)[M])
{
    std::array<Link, N + M> all{};
    for (std::size_t i = 0; i < N; ++i)
        all[i] = first[i];
    for (std::size_t i = 0; i < M; ++i)
        all[N + i] = second[i];
    return all;
}

namespace check {
constexpr bool same(const char *a, const char *b)
{
    return a && b && std::string_view(a) == std::string_view(b);
}

constexpr const Control *find(std::span<const Control> table, std::size_t before, const char *name)
{
    for (std::size_t i = 0; i < before && i < table.size(); ++i)
        if (same(table[i].name, name))
            return &table[i];
    return nullptr;
}
} // namespace check

// For static_assert over a window's table: every control named, no name
// twice, and every parent a frame that comes earlier in the table.
constexpr bool wellFormed(std::span<const Control> table)
{
    for (std::size_t i = 0; i < table.size(); ++i) {
        const Control &row = table[i];
        if (!row.name || check::find(table, i, row.name))
            return false;
        if (row.parent) {
            const Control *parent = check::find(table, i, row.parent);
            if (!parent || parent->kind != Kind::Frame)
                return false;
        }
    }
    return true;
}

constexpr bool wellFormed(std::span<const MenuRow> rows)
{
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].name || (i == 0 && rows[i].level != 0) || rows[i].level > 1)
            return false;
        for (std::size_t j = 0; j < i; ++j)
            if (check::same(rows[i].name, rows[j].name))
                return false;
    }
    return true;
}

// For static_assert: every link names a control of the table or a menu row,
// and only labels carry a description.
constexpr bool linksResolve(std::span<const Link> links, std::span<const Control> table,
                            std::initializer_list<std::span<const MenuRow>> menu = {})
{
    for (const Link &link : links) {
        const Control *control = check::find(table, table.size(), link.name);
        bool inMenu = false;
        for (const auto &part : menu)
            for (const MenuRow &row : part)
                inMenu = inMenu || check::same(row.name, link.name);
        if (control ? control->kind != Kind::Label : (!inMenu || link.description))
            return false;
    }
    return true;
}

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

// Fills a menu bar from its rows, given in parts that follow one another;
// returns the actions by name (a drop-down menu's own action under the
// menu's name).
QHash<QString, QAction *> buildMenu(QMenuBar *bar,
                                    std::initializer_list<std::span<const MenuRow>> parts);

// The text a caption shows: "&" marks the access key and is not shown, "&&"
// shows one "&".
QString shownCaption(const char *caption);

} // namespace form
