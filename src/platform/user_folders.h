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

// $XDG_RUNTIME_DIR when it is an absolute path naming a folder of this user's
// own that nobody else may enter, as the XDG rules ask of it; else empty.
// Judged from the variable's bytes: it is never made, never changed, and a
// name that is not UTF-8 never turns into another folder's.
QByteArray runtimeFolder();

// Qt looks into the runtime folder while the application object is made, and
// makes the folder it decodes from XDG_RUNTIME_DIR when that is missing: a
// name that is not UTF-8 decodes to another one, and a stray folder appears
// beside the user's. From lendRuntimeFolderToQt() to takeBackRuntimeFolder(),
// Qt is shown such a folder under a name it can hold (the descriptor /proc
// gives it), or, when it is not a valid one, no runtime folder at all. Names
// Qt can hold are left as they are; the variable comes back byte for byte for
// the programs this one starts. Unix only; both do nothing elsewhere.
void lendRuntimeFolderToQt();
void takeBackRuntimeFolder();

// Makes the folder a file is to go in, and those above it; true once it is
// there. On every system.
bool makeFolderFor(const QByteArray &file);

} // namespace platform
