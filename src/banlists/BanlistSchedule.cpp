#include "banlists/BanlistSchedule.h"

#include "app/Settings.h"

namespace vh::banlists {

bool BanlistSchedule::tick(const app::Settings& settings)
{
    ++BanlistMinuteCounter;
    // an interval that is not a number counts as 0, as the original comparison with an empty text did
    if (BanlistMinuteCounter < settings.number(app::Setting::BanlistUpdateMinutes, 0))
        return false;
    BanlistMinuteCounter = 0;
    return settings.isOn(app::Setting::AutoBanlistUpdate);
}

} // namespace vh::banlists
