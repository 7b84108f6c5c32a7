#pragma once

#include <QString>

namespace vh::platform {

// Where the image library is a registered COM server (Windows), makes sure the registry points at the copy
// beside the program and registers it otherwise; returns true when a registration was run. Elsewhere PNG
// files are decoded by Qt's own reader and nothing is registered.
bool registerImageLibrary(const QString& baseFolder);

} // namespace vh::platform
