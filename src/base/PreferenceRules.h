#pragma once

#include "base/Checked.h"

#include <QString>

namespace vh::base::PreferenceRules {

// The banlist interval box on leaving it: empty or below 10 becomes "10", above 120 becomes "120";
// text that is not a number stays as typed.
QString validateBanlistInterval(const QString& text);
// The per-server limit box on leaving it: empty or below 10 becomes "10"; there is no upper bound.
QString validatePerServerLimit(const QString& text);

// The caption under the worker slider.
QString threadsCaption(int value);

// A stored slot as a check box state (0 unticked, 1 ticked, 2 greyed), or the reason it is none.
Checked<int> checkStateFromSlot(const QString& slot);
// A stored slot as a slider value within [minimum, maximum], or the reason it is none.
Checked<int> sliderValueFromSlot(const QString& slot, int minimum, int maximum);

// A check box that enables its text box does so only while it is ticked (a greyed box counts as unticked).
inline bool enablesDependent(int checkState)
{
    return checkState == 1;
}
// A "Skip ALL" box makes its "pbss only" box pointless while it is ticked.
inline bool allowsPbssOnly(int skipAllState)
{
    return skipAllState != 1;
}

} // namespace vh::base::PreferenceRules
