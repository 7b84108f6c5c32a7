#include "app/AppCore.h"
#include "hunt/HuntPage.h"
#include "hunt/PreyMatcher.h"
#include "util/GameServerFarm.h"
#include "util/TestWorkspace.h"

#include <benchmark/benchmark.h>

#include <QRandomGenerator>

namespace {

constexpr int PreyCount = 2000;
constexpr int Pages = 1000;
constexpr int LinesPerPage = 500;
constexpr int DistinctPages = 8;
const QByteArray Url = "http://127.0.0.1/srv/pbsvss.htm";

QByteArray randomGuid(QRandomGenerator& rng)
{
    QByteArray g;
    for (int i = 0; i < 32; ++i)
        g += "0123456789abcdef"[rng.bounded(16)];
    return g;
}

// The watch list: GUIDs in capitals, as a banlist or the trollbait page gives them.
QList<QByteArray> makePrey()
{
    QRandomGenerator rng(1);
    QList<QByteArray> prey;
    for (int i = 0; i < PreyCount; ++i)
        prey << randomGuid(rng).toUpper();
    return prey;
}

// Index pages of 500 lines; every other page names three prey, the rest none, as on most servers.
std::vector<QByteArray> makePages(const QList<QByteArray>& prey)
{
    QRandomGenerator rng(2);
    std::vector<QByteArray> pages;
    for (int p = 0; p < DistinctPages; ++p) {
        QByteArray page;
        for (int i = 1; i <= LinesPerPage; ++i) {
            const QByteArray num = QByteArray::number(i).rightJustified(6, '0');
            const bool hit = p % 2 == 0 && i % 150 == 0;
            const QByteArray guid = hit ? prey.at(int(rng.bounded(PreyCount))).toLower() : randomGuid(rng);
            page += "<p> <a href=pb" + num + ".htm target=_blank>" + num + "</a> \"Player" + QByteArray::number(i) +
                    "\" (W) GUID=" + guid + "(-) [2026.12.06 10:00:00]\r\n";
        }
        pages.push_back(page);
    }
    return pages;
}

// The old way: every prey searched for in the page, then in every line of it, letter case folded.
int naiveScan(const QByteArray& page, const QList<QByteArray>& lowerPrey)
{
    const QByteArray lower = page.toLower();
    const auto any = [&](QByteArrayView text) {
        for (const QByteArray& p : lowerPrey) {
            if (text.contains(p))
                return true;
        }
        return false;
    };
    if (!any(lower))
        return 0;
    int hits = 0;
    for (QByteArrayView line : lower.split('\n'))
        hits += any(line) ? 1 : 0;
    return hits;
}

// One pass: the automaton is built, then 1000 pages are scanned.
void BM_HuntPassAutomaton(benchmark::State& state)
{
    const QList<QByteArray> prey = makePrey();
    const std::vector<QByteArray> pages = makePages(prey);
    int hits = 0;
    for (auto _ : state) {
        const vh::hunt::PreyMatcher matcher(prey);
        hits = 0;
        for (int p = 0; p < Pages; ++p)
            hits += int(vh::hunt::ScanHuntPage(pages[std::size_t(p % DistinctPages)], Url, matcher).entries.size());
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = hits;
}
BENCHMARK(BM_HuntPassAutomaton)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// The naive search over 8 pages only: multiply by 125 for a pass of 1000 pages.
void BM_HuntNaive8Pages(benchmark::State& state)
{
    const QList<QByteArray> prey = makePrey();
    const std::vector<QByteArray> pages = makePages(prey);
    QList<QByteArray> lowerPrey;
    for (const QByteArray& p : prey)
        lowerPrey << p.toLower();
    int hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (const QByteArray& page : pages)
            hits += naiveScan(page, lowerPrey);
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = hits;
}
BENCHMARK(BM_HuntNaive8Pages)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

} // namespace

namespace {

// One hunt pass over 200 local servers, each publishing a page of 500 lines without prey: the time is the
// fetching by the 16 page workers; the scan of 200 such pages costs a fifth of BM_HuntPassAutomaton.
// state.range(0) = 0 hunts with no prey at all, for the fetching alone.
void BM_HuntPass200LocalServers(benchmark::State& state)
{
    vh::test::GameServerFarm farm(200);
    QRandomGenerator rng(3);
    for (int k = 0; k < farm.serverCount(); ++k) {
        QByteArray page;
        for (int i = 1; i <= LinesPerPage; ++i) {
            const QByteArray num = QByteArray::number(i).rightJustified(6, '0');
            page += "<p> <a href=pb" + num + ".htm target=_blank>" + num + "</a> \"Player\" (W) GUID=" +
                    randomGuid(rng) + "(-) [2026.12.06 10:00:00]\r\n";
        }
        // not text/html: the local server would compress text for the client at great cost, which a game
        // server's plain file server does not
        farm.http().serve(QLatin1Char('/') + farm.server(k).address + QStringLiteral("/pbsvss.htm"), page, 0,
                          QByteArrayLiteral("application/octet-stream"));
    }
    vh::test::TestWorkspace ws;
    farm.writeWorkspace(ws.base());
    vh::app::AppCore core;
    core.startupLoad(QStringLiteral("/nowhere/bench"), ws.base());
    core.startupLoadLists();
    const QList<QByteArray> prey = makePrey();
    for (auto _ : state)
        core.hunt().StartHunting(state.range(0) ? prey : QList<QByteArray>{});
    state.counters["pages"] = double(farm.http().requests().size());
}
BENCHMARK(BM_HuntPass200LocalServers)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

} // namespace
