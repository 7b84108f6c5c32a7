#pragma once

namespace vh::base {

// The run's stop and skip requests, read by every waiting loop of a collection.
struct RunFlags
{
    int StopRequested = 1; // 1: no run active, or stop asked for
    bool SkipRequested = false;
};

} // namespace vh::base
