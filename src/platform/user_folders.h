#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// A path as the program keeps it, and back as Qt takes it. On Unix these are
// the file name's own bytes (QFile's encoding; a name that is not UTF-8 only
// survives as bytes); on Windows, whose names are Unicode, UTF-8, which comes
// back as the very same text.
QByteArray nativePath(const QString &path);
QString qtPath(const QByteArray &path);

// The user's folders as the system names them: bytes, never decoded, so that
// a path that is not valid UTF-8 still names the same folder. Unix only.
//
// The home is $HOME when it is an absolute path, else the one the password
// database gives this user. The configuration folder is $XDG_CONFIG_HOME when
// absolute, else <home>/.config: the XDG rules make a relative path there
// invalid, to be ignored, never a folder below wherever the program started.
QByteArray homeFolder();
QByteArray configFolder();

// Makes the folder and those above it that are missing; true once it is there.
// Unix only.
bool makeFolders(const QByteArray &path);

// Makes the folder a file is to go in, and those above it; true once it is
// there. On every system.
bool makeFolderFor(const QByteArray &file);

} // namespace platform
