#include "review/StatusBarLayout.h"

#include <cmath>

namespace vh::review {

bool statusPanelWidths(int windowWidth, std::array<int, 6>& widths)
{
    if (windowWidth == 0)
        return false;
    static constexpr double Units[6] = {0.75, 0.7, 0.5, 1.4, 0.45, 1.0};
    const double unit = windowWidth / 4.8;
    for (std::size_t i = 0; i < widths.size(); ++i)
        widths[i] = int(std::lrint(Units[i] * unit));
    return true;
}

} // namespace vh::review
