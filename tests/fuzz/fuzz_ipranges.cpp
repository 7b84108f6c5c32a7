// data/ipranges.dat: providers, their page templates and address ranges.
#include "FuzzInput.h"
#include "servers/IpRangesFile.h"
#include "servers/ProviderTable.h"
#include "servers/ServerList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    vh::servers::ProviderTable providers;
    vh::servers::ServerList servers;
    vh::servers::LoadIpRanges(fuzzBytes(data, size), providers, servers);
    FUZZ_REQUIRE(servers.ServerCount() >= 0 && servers.ServerCount() <= vh::servers::ServerList::MaxServers);
    for (int i = 0; i < servers.ServerCount(); ++i)
        FUZZ_REQUIRE(vh::servers::isDottedAddress(servers.at(i).IP.toLatin1()));
    return 0;
}
