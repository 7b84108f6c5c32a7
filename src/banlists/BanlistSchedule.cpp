#include "banlists/BanlistSchedule.h"

#include "base/Settings.h"

namespace vh::banlists {

bool BanlistSchedule::tick(const base::Settings& settings)
{
    ++BanlistMinuteCounter;
    // an interval that is not a number counts as 0, as the original comparison with an empty text did
    if (BanlistMinuteCounter < settings.number(base::Setting::BanlistUpdateMinutes, 0))
        return false;
    BanlistMinuteCounter = 0;
    return settings.isOn(base::Setting::AutoBanlistUpdate);
}

} // namespace vh::banlists
