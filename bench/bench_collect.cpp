#include "app/AppCore.h"
#include "collect/IndexPage.h"
#include "collect/KnownShots.h"
#include "collect/ServerVisit.h"

#include <benchmark/benchmark.h>

#include <QRandomGenerator>
#include <QTemporaryDir>

namespace {

constexpr int DatabaseEntries = 200000;
constexpr int PageEntries = 30000;
constexpr int Players = 5000;

QByteArray guidOf(int player)
{
    QRandomGenerator rng(quint32(player) * 7919u + 1);
    QByteArray g;
    for (int i = 0; i < 32; ++i)
        g += "0123456789abcdef"[rng.bounded(16)];
    return g;
}

// An index line as the server writes it, from the shot number on; players repeat across shots.
QByteArray indexText(int shot, int player, qint64 secondsAfter)
{
    const QDateTime when = QDateTime(QDate(2026, 1, 1), QTime(0, 0)).addSecs(secondsAfter);
    return QByteArray::number(shot % 1000000).rightJustified(6, '0') + " \"Player" + QByteArray::number(player) +
           "\" (W) GUID=" + guidOf(player) + "(-) [" + when.toString(QStringLiteral("yyyy.MM.dd HH:mm:ss")).toLatin1() +
           "]";
}

// A core with 200000 database entries, 32767 AASA bans and 30000 page entries, half of them already known.
struct CollectSetup
{
    QTemporaryDir dir;
    vh::app::AppCore core;

    CollectSetup()
    {
        core.workspace().setBaseFolder(dir.path());
        QRandomGenerator rng(42);
        std::vector<QByteArray> texts;
        for (int i = 1; i <= DatabaseEntries; ++i) {
            vh::database::ScreenshotEntry e;
            e.IndexText = indexText(i, int(rng.bounded(Players)), qint64(i) * 97);
            core.database().append(e);
        }
        QByteArray bans = "AASA bench list\r\n";
        for (int i = 0; i < 32767; ++i)
            bans += "[2026.01.01 00:00:00] " + guidOf(Players + i) + " \"Banned\" 1.2.3.4:5 Aimbot\r\n";
        QDir(dir.path()).mkpath(QStringLiteral("banlists"));
        QFile f(dir.path() + QStringLiteral("/banlists/aasaprivbanguid.txt"));
        if (f.open(QIODevice::WriteOnly))
            f.write(bans);
        f.close();
        core.banlists().LoadAasaBanlist();
        core.flags().StopRequested = 0;
    }

    void fillPage()
    {
        QRandomGenerator rng(7);
        core.pageTable().clear();
        for (int k = 1; k <= PageEntries; ++k) {
            vh::collect::PageEntry e;
            const int player = int(rng.bounded(Players));
            if (k % 2 == 0) {
                e.IndexText = core.database().entry(int(rng.bounded(DatabaseEntries)) + 1).IndexText;
            } else {
                e.IndexText = indexText(DatabaseEntries + k, player, qint64(DatabaseEntries + k) * 97);
            }
            e.GUID = guidOf(player);
            e.FileName = "pb" + e.IndexText.left(6) + ".png";
            e.BaseURL = "http://127.0.0.1/srv";
            core.pageTable().append(e);
        }
    }
};

void BM_CollectPbSS(benchmark::State& state)
{
    CollectSetup setup;
    for (auto _ : state) {
        state.PauseTiming();
        setup.fillPage();
        setup.core.pool().clearQueue();
        state.ResumeTiming();
        setup.core.visit().CollectPbSS(PageEntries);
    }
    state.counters["queued"] = setup.core.pool().QueueCount();
}
BENCHMARK(BM_CollectPbSS)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true);

void BM_KnownShotsBuild(benchmark::State& state)
{
    CollectSetup setup;
    for (auto _ : state) {
        vh::collect::KnownShots known;
        known.build(setup.core.database());
        benchmark::DoNotOptimize(known.size());
    }
}
BENCHMARK(BM_KnownShotsBuild)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true);

void BM_KnownShotsLookup(benchmark::State& state)
{
    CollectSetup setup;
    setup.fillPage();
    vh::collect::KnownShots known;
    known.build(setup.core.database());
    for (auto _ : state) {
        int hits = 0;
        for (int k = 1; k <= PageEntries; ++k)
            hits += known.contains(setup.core.pageTable().entry(k).IndexText);
        benchmark::DoNotOptimize(hits);
    }
}
BENCHMARK(BM_KnownShotsLookup)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void BM_ParseIndexPage(benchmark::State& state)
{
    QByteArray page;
    for (int i = 1; i <= PageEntries; ++i) {
        const QByteArray num = QByteArray::number(i).rightJustified(6, '0');
        page += "<p> <a href=pb" + num + ".htm target=_blank>" + num + "</a> " +
                indexText(i, i % Players, i * 60).mid(7) + "\r\n";
    }
    vh::collect::IndexPageLimits limits;
    limits.limitByAge = true;
    limits.maxAgeHours = 100000;
    for (auto _ : state) {
        const auto scan = vh::collect::parseIndexPage(page, "http://127.0.0.1:80/srv/pbsvss.htm", limits);
        benchmark::DoNotOptimize(scan.entries.size());
    }
}
BENCHMARK(BM_ParseIndexPage)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

} // namespace
