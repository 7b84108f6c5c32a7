#pragma once

#include "platform/Checked.h"

#include <QByteArray>
#include <QString>

namespace vh::platform {

// Writes the whole file through a new file renamed over the old one, so a crash or a full disk during a
// save leaves the last good file. Returns the reason when anything failed, nothing when the file was written.
Problems writeFileAtomically(const QString& path, const QByteArray& content);

} // namespace vh::platform
