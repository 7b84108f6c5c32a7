#pragma once

namespace vh::base {

// The run's stop and skip requests, read by every waiting loop of a collection, and the banlist update that
// the banlist timer makes due and the next visit's end carries out.
struct RunFlags
{
    int StopRequested = 1; // 1: no run active, or stop asked for
    bool SkipRequested = false;
    bool BanlistUpdateDue = false;
    // A looping pass that ends sooner (servers that cannot be reached, nothing to visit) waits out the rest,
    // so a loop never spins; tests shorten it.
    int MinimumPassMs = 30000;
};

} // namespace vh::base
