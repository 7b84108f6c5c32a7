#include "servers/IpRangesFile.h"
#include "servers/ProviderTable.h"
#include "servers/ServerList.h"
#include "servers/ServerSelection.h"

#include <benchmark/benchmark.h>

using namespace vh::servers;

namespace {

constexpr int Maps = 100;

// 127 full ranges and one of 255 addresses over 8 providers: 32767 servers, the most the list holds.
QByteArray fullRangesFile()
{
    QByteArray file;
    for (int r = 0; r < 128; ++r) {
        if (r % 16 == 0) {
            file += "Provider:Provider " + QByteArray::number(r / 16) + "\r\n";
            file += "Providerpath:http://%ip%:80/%IP%/pbsvss.htm\r\n";
        }
        file += "Range:10." + QByteArray::number(r / 64) + '.' + QByteArray::number(r % 64) + ".0-" +
                (r == 127 ? "254" : "255") + "\r\n";
    }
    return file;
}

QByteArray serversFile(const ServerList& servers)
{
    QByteArray file;
    for (int i = servers.ServerCount() - 1; i >= 0; --i) {
        file += "Server number " + QByteArray::number(i) + (i % 7 == 0 ? " AASA" : "") + "\r\n";
        file += servers.at(i).IP.toLatin1() + "\r\n";
        file += "Map" + QByteArray::number(i % Maps) + "\r\n";
    }
    return file;
}

void BM_BuildServerListFromRanges(benchmark::State& state)
{
    const QByteArray file = fullRangesFile();
    ProviderTable providers;
    ServerList servers;
    for (auto _ : state) {
        LoadIpRanges(file, providers, servers);
        benchmark::DoNotOptimize(servers.ServerCount());
    }
    if (servers.ServerCount() != ServerList::MaxServers)
        state.SkipWithError("the file does not give 32767 servers");
}
BENCHMARK(BM_BuildServerListFromRanges)->Unit(benchmark::kMillisecond);

void BM_LoadServers(benchmark::State& state)
{
    ProviderTable providers;
    ServerList servers;
    LoadIpRanges(fullRangesFile(), providers, servers);
    const QByteArray file = serversFile(servers);
    for (auto _ : state) {
        const QStringList maps = servers.LoadServers(file);
        benchmark::DoNotOptimize(maps.size());
    }
}
BENCHMARK(BM_LoadServers)->Unit(benchmark::kMillisecond);

void BM_FillServerSelection(benchmark::State& state)
{
    ProviderTable providers;
    ServerList servers;
    LoadIpRanges(fullRangesFile(), providers, servers);
    ServerFilterState filters;
    filters.maps = servers.LoadServers(serversFile(servers));
    filters.mapSelected.assign(std::size_t(filters.maps.size()), true);
    filters.providerSelected.assign(std::size_t(providers.ProviderCount()), true);
    filters.nameFilter = state.range(0) ? QStringLiteral("AASA") : QStringLiteral("All");
    std::size_t shown = 0;
    for (auto _ : state) {
        const auto items = FillServerSelection(servers, filters);
        shown = items.size();
        benchmark::DoNotOptimize(shown);
    }
    state.counters["items"] = double(shown);
}
BENCHMARK(BM_FillServerSelection)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_MarkValidFromListerOutput(benchmark::State& state)
{
    ProviderTable providers;
    ServerList servers;
    LoadIpRanges(fullRangesFile(), providers, servers);
    QByteArray output = "h\nh\nh\nh\n";
    for (int i = servers.ServerCount() - 1; i >= 0; --i)
        output += servers.at(i).IP.toLatin1() + " 1717\n";
    for (auto _ : state) {
        const auto result = servers.markValid(output);
        benchmark::DoNotOptimize(result.valid);
    }
}
BENCHMARK(BM_MarkValidFromListerOutput)->Unit(benchmark::kMillisecond);

} // namespace
