#pragma once

#include "forms/form_table.h"

#include <QFont>

namespace form {

// Font sizes are set in pixels derived at 96 dpi so that text stays in
// proportion with the twip geometry on any screen.
QFont makeFont(const Font &font, const QFont &base);

} // namespace form
