#pragma once

#include <QCoreApplication>
#include <QFileInfo>
#include <QString>

namespace platform {

// The executable's name without directory or extension. The settings store
// and the instance lock are keyed by it, so a renamed copy keeps its own.
inline QString executableName()
{
    const QString base = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return base.isEmpty() ? QStringLiteral("thymara") : base;
}

} // namespace platform
