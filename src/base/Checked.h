#pragma once

#include "platform/Checked.h"

namespace vh::base {

// One shape for "a value plus the problem lines to log" everywhere (see platform/Checked.h); a step with no
// value of its own returns only its Problems.
using platform::Checked;
using platform::Problems;

} // namespace vh::base
