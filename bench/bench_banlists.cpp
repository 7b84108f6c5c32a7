#include "banlists/Banlist.h"

#include <benchmark/benchmark.h>

#include <QRandomGenerator>

namespace {

QByteArray randomGuid(QRandomGenerator& rng)
{
    QByteArray g;
    for (int i = 0; i < 32; ++i)
        g += "0123456789abcdef"[rng.bounded(16)];
    return g;
}

// A full AASA list: 32767 rows.
QByteArray aasaList(std::vector<QByteArray>* guids)
{
    QRandomGenerator rng(3);
    QByteArray text = "AASA bench list\r\n";
    for (int i = 0; i < vh::banlists::Banlist::MaxCount; ++i) {
        guids->push_back(randomGuid(rng));
        text += "[2026.01.01 00:00:00] " + guids->back() + " \"Name" + QByteArray::number(i) +
                "\" 1.2.3.4:5 Aimbot used\r\n";
    }
    return text;
}

void BM_ParseAasa(benchmark::State& state)
{
    std::vector<QByteArray> guids;
    const QByteArray text = aasaList(&guids);
    for (auto _ : state) {
        vh::banlists::Banlist list;
        benchmark::DoNotOptimize(list.parseAasa(text));
    }
}
BENCHMARK(BM_ParseAasa)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

// 30000 lookups, one per page entry of a full page, half of them banned.
void BM_FindBan(benchmark::State& state)
{
    std::vector<QByteArray> guids;
    vh::banlists::Banlist list;
    list.parseAasa(aasaList(&guids));
    QRandomGenerator rng(9);
    std::vector<QByteArray> asked;
    for (int i = 0; i < 30000; ++i)
        asked.push_back(i % 2 ? guids[rng.bounded(int(guids.size()))] : randomGuid(rng));
    for (auto _ : state) {
        int hits = 0;
        for (const auto& g : asked)
            hits += list.findFirst(g) > 0;
        benchmark::DoNotOptimize(hits);
    }
}
BENCHMARK(BM_FindBan)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

} // namespace
