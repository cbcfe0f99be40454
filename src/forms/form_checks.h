#pragma once

#include "forms/form_table.h"

#include <initializer_list>
#include <span>
#include <string_view>

// Checks of a window's tables while it is compiled: a misspelt name fails the
// build instead of the first start.
namespace form {

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

// The checks refuse what they are there to refuse.
namespace check::refused {
// clang-format off
constexpr Control unnamed[] = {{nullptr, Kind::Label, nullptr, "x", 0, 0, 1, 1, {}, {}, 0, NoFlags}};
constexpr Control twice[] = {
    {nullptr, Kind::Label, "Label1", "x", 0, 0, 1, 1, {}, {}, 0, NoFlags},
    {nullptr, Kind::Label, "Label1", "y", 0, 0, 1, 1, {}, {}, 1, NoFlags},
};
constexpr Control misspeltParent[] = {
    {nullptr, Kind::Frame, "Frame1", "x", 0, 0, 9, 9, {}, {}, 0, NoFlags},
    {"Frme1", Kind::Label, "Label1", "y", 0, 0, 1, 1, {}, {}, 1, NoFlags},
};
constexpr Control parentLater[] = {
    {"Frame1", Kind::Label, "Label1", "y", 0, 0, 1, 1, {}, {}, 0, NoFlags},
    {nullptr, Kind::Frame, "Frame1", "x", 0, 0, 9, 9, {}, {}, 1, NoFlags},
};
constexpr Control parentNotAFrame[] = {
    {nullptr, Kind::Label, "Label1", "x", 0, 0, 9, 9, {}, {}, 0, NoFlags},
    {"Label1", Kind::Button, "Command1", "y", 0, 0, 1, 1, {}, {}, 1, NoFlags},
};
constexpr MenuRow submenuFirst[] = {{1, "mnuOpen", "&Open"}};
constexpr MenuRow tooDeep[] = {{0, "mnuFile", "&File"}, {2, "mnuOpen", "&Open"}};
constexpr MenuRow menuTwice[] = {{0, "mnuFile", "&File"}, {1, "mnuFile", "&Open"}};
constexpr Link labelMissing[] = {{"Label2", nullptr, nullptr}};
constexpr Link describedMenu[] = {{"mnuFile", nullptr, "Opens a page"}};
constexpr Link linkOnAFrame[] = {{"Frame1", nullptr, nullptr}};
// clang-format on
static_assert(!wellFormed(unnamed));
static_assert(!wellFormed(twice));
static_assert(!wellFormed(misspeltParent));
static_assert(!wellFormed(parentLater));
static_assert(!wellFormed(parentNotAFrame));
static_assert(!wellFormed(submenuFirst));
static_assert(!wellFormed(tooDeep));
static_assert(!wellFormed(menuTwice));
static_assert(!linksResolve(labelMissing, twice));
static_assert(!linksResolve(describedMenu, twice, {submenuFirst, tooDeep}));
static_assert(!linksResolve(linkOnAFrame, misspeltParent));
} // namespace check::refused

} // namespace form
