#pragma once

#include <QByteArray>
#include <QString>

namespace vh::platform {

// Writes the whole file through a new file renamed over the old one, so a crash or a full disk during a
// save leaves the last good file. Returns false with the reason in error when anything failed.
bool writeFileAtomically(const QString& path, const QByteArray& content, QString* error = nullptr);

} // namespace vh::platform
