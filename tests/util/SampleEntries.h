#pragma once

#include "database/ScreenshotEntry.h"

namespace vh::test {

// A screenshot entry with every member filled and distinct per number, as an intake would leave it.
database::ScreenshotEntry sampleEntry(int n);

} // namespace vh::test
