#pragma once

// The file calls of the settings store that each system makes its own way.

#include <QByteArray>

namespace platform::settingsfiles {

enum class Found { Nothing, Directory, File, NotPlain };

// What lies at path. The content of a plain file of at most limit bytes is
// read into bytes when asked for. A FIFO, a device or a socket there counts as
// NotPlain without being read, and opening it never waits: a FIFO nobody
// writes to would otherwise hold the start forever, and a device such as
// /dev/zero never ends.
Found inspect(const QByteArray &where, qint64 limit, QByteArray *bytes = nullptr);

// The store's file unless a test names one; empty: the registry.
QByteArray defaultIniFile();

// Writes bytes through a file beside path, which replaces it only once
// complete: a write cut short (a full disk, a file-size limit, a kill) leaves
// the old file whole. A file the user made read-only is left alone.
bool replaceFile(const QByteArray &path, const QByteArray &bytes);

} // namespace platform::settingsfiles
