#pragma once

#include <array>

namespace vh::review {

// The widths of the six status-bar panels for a window width: unit = width / 4.8, panels of 0.75, 0.7, 0.5,
// 1.4, 0.45 and 1.0 units. A width of 0 leaves the panels as they are (returns false).
bool statusPanelWidths(int windowWidth, std::array<int, 6>& widths);

} // namespace vh::review
