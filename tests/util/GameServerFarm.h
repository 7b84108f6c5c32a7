#pragma once

#include "Farm.h"
#include "app/AppCore.h"
#include "util/LocalHttpServer.h"

namespace vh::test {

// The simulated farm of varnholt-sim, with what the suites add to drive a core over it.
class GameServerFarm final : public sim::Farm
{
public:
    using sim::Farm::Farm;

    // Chooses every map of the filter list, so that the server selection list holds every named server.
    static void selectAllServers(app::AppCore& core)
    {
        core.serverDiscovery().setAllMapsSelected(true);
        core.serverDiscovery().FillServerSelection();
    }
};

} // namespace vh::test
