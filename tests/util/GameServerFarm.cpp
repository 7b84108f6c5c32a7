#include "util/GameServerFarm.h"

#include "app/AppCore.h"

namespace vh::test {

void GameServerFarm::selectAllServers(app::AppCore& core)
{
    core.serverDiscovery().setAllMapsSelected(true);
    core.serverDiscovery().FillServerSelection();
}

} // namespace vh::test
