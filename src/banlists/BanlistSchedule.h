#pragma once

namespace vh::base {
class Settings;
}

namespace vh::banlists {

// Counts the banlist timer's one-minute ticks and raises the update flag once the interval has passed.
class BanlistSchedule final
{
public:
    // One tick; returns true when the update became due (only while automatic updates are on). The counter
    // wraps at every interval either way.
    bool tick(const base::Settings& settings);
    int BanlistMinuteCounter = 0;
};

} // namespace vh::banlists
