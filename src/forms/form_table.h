#pragma once

#include <array>
#include <cstddef>

// Every window is a fixed form described by a table: one row per control in
// stored order, positions in twips. form_builder.h turns a table into widgets,
// form_checks.h checks one when it is compiled.
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

// 15 twips make one logical pixel (1/96 inch); Qt scales logical pixels on
// high-density screens by itself.
constexpr int px(int twips)
{
    return (twips + 7) / 15;
}

} // namespace form
