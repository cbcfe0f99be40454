#pragma once

namespace platform {

// Whether the desktop's accessibility bridge tells a focus as the innermost
// part that has it: a window becoming active as the control focused in it,
// a control with parts (a list) getting the focus as its current part. Qt's
// UI Automation bridge on Windows does (CMake says), and Qt then tells that
// part's focus once more; over AT-SPI the window or control itself is told.
inline constexpr bool bridgeTellsFocusedPart = THYMARA_BRIDGE_TELLS_FOCUSED_PART;

} // namespace platform
