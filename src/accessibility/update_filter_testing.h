#pragma once

// What a test needs of the update filter beyond the program's own calls.

#include <QAccessible>

namespace accessibility::updates {

// The filter itself, as Qt calls it with each of its events.
void filter(QAccessibleEvent *event);

// Where no desktop listens (the offscreen platform of the tests) Qt makes no
// events at all. A test then plays Qt's part: it turns listening on, calls
// filter() with the events Qt would send, and finds what got through in the
// handler that was installed before the filter.
void listenWithoutDesktop(bool on);

// Hands what gets through to handler from now on, nullptr being Qt's own
// delivery; returns the handler it was handed to before.
QAccessible::UpdateHandler passOnTo(QAccessible::UpdateHandler handler);

} // namespace accessibility::updates
