#pragma once

#include "forms/form_table.h"

// The fonts and colours the forms are drawn with.
namespace form::style {

using form::Font;

inline constexpr Font verdana825{"Verdana", 8.25};
inline constexpr Font verdanaBold{"Verdana", 8.25, true};
inline constexpr Font verdanaBoldUnderlined{"Verdana", 8.25, true, true};
inline constexpr Font verdana9{"Verdana", 9};
inline constexpr Font verdana9Bold{"Verdana", 9, true};
inline constexpr Font verdana9BoldUnderlined{"Verdana", 9, true, true};
inline constexpr Font verdana975Bold{"Verdana", 9.75, true};
inline constexpr Font verdana1425{"Verdana", 14.25};
inline constexpr Font msSansSerif{"MS Sans Serif", 8.25};
inline constexpr Font msSansSerif18{"MS Sans Serif", 18};

inline constexpr int black = 0x000000;
inline constexpr int white = 0xFFFFFF;
inline constexpr int lightBlue = 0xC0C0FF;  // (192,192,255)
inline constexpr int mediumBlue = 0x8080FF; // (128,128,255)
inline constexpr int navy = 0x000080;
inline constexpr int darkBlue = 0x0000C0;
inline constexpr int yellow = 0xFFFF00;

} // namespace form::style
