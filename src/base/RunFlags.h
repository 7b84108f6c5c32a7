#pragma once

namespace vh::base {

// The run's stop and skip requests, read by every waiting loop of a collection, and the banlist update that
// the banlist timer makes due and the next visit's end carries out.
struct RunFlags
{
    int StopRequested = 1; // 1: no run active, or stop asked for
    bool SkipRequested = false;
    bool BanlistUpdateDue = false;
};

} // namespace vh::base
