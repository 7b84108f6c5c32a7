#include "app/AppCore.h"
#include "collect/IndexPage.h"
#include "collect/KnownShots.h"
#include "collect/ServerVisit.h"
#include "platform/PngDecoder.h"
#include "util/GameServerFarm.h"

#include "EventLoopGaps.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <atomic>
#include <thread>

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

// A whole collection against the loopback farm, beside what bounds it: fetching the same files with 40 parallel
// transfers (curl) and decoding the same PNGs on all cores.
class BigFarm
{
public:
    // VARNHOLT_BENCH_FARM="servers,shots" draws a smaller farm, for a quick look
    const int Servers = sizeFromEnvironment(0, 20);
    const int ShotsPerServer = sizeFromEnvironment(1, 150);

    static BigFarm& get()
    {
        static BigFarm farm;
        return farm;
    }

    vh::test::GameServerFarm farm{Servers};
    QStringList urls;
    std::vector<QByteArray> pngs; // as served

private:
    static int sizeFromEnvironment(int field, int fallback)
    {
        const QList<QByteArray> sizes = qgetenv("VARNHOLT_BENCH_FARM").split(',');
        const int n = sizes.value(field).toInt();
        return n > 0 ? n : fallback;
    }

    BigFarm()
    {
        using Plant = vh::test::GameServerFarm::Plant;
        struct Drawn
        {
            int k;
            int shot;
        };
        std::vector<Drawn> all;
        for (int k = 0; k < Servers; ++k) {
            for (int i = 0; i < ShotsPerServer; ++i) {
                farm.addShot(k, guidOf(k * ShotsPerServer + i), Plant::None, "Player" + QByteArray::number(i));
                all.push_back({k, i});
            }
        }
        // drawing is slow: on all cores
        pngs.resize(all.size());
        std::atomic<std::size_t> next{0};
        std::vector<std::thread> threads;
        for (unsigned t = 0; t < std::max(1u, std::thread::hardware_concurrency()); ++t)
            threads.emplace_back([&] {
                for (std::size_t j = next++; j < all.size(); j = next++)
                    pngs[j] = farm.png(all[j].k, farm.server(all[j].k).shots.at(all[j].shot));
            });
        for (std::thread& t : threads)
            t.join();
        for (std::size_t j = 0; j < all.size(); ++j) {
            const auto& shot = farm.server(all[j].k).shots.at(all[j].shot);
            farm.http().serve(farm.shotPath(all[j].k, shot), pngs[j], 0, QByteArrayLiteral("image/png"));
            urls << farm.shotUrl(all[j].k, shot);
        }
        for (int k = 0; k < Servers; ++k)
            farm.server(k).published = int(farm.server(k).shots.size());
        farm.publish();
    }
};

// The farm figures are compared side by side: each is one whole pass, three times, by the clock and by the
// CPU time of the whole process (the farm serves from it too).
void farmRuns(benchmark::internal::Benchmark* b)
{
    b->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->UseRealTime()->MeasureProcessCPUTime();
    b->ReportAggregatesOnly(true);
}

void BM_FetchFarm40Parallel(benchmark::State& state)
{
    BigFarm& f = BigFarm::get();
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        QByteArray config;
        for (int j = 0; j < f.urls.size(); ++j)
            config += "url = \"" + f.urls.at(j).toLatin1() + "\"\noutput = \"" +
                      QFile::encodeName(dir.filePath(QStringLiteral("%1.png").arg(j))) + "\"\n";
        QFile file(dir.filePath(QStringLiteral("urls.txt")));
        if (!file.open(QIODevice::WriteOnly) || file.write(config) != config.size()) {
            state.SkipWithError("cannot write the URL list");
            return;
        }
        file.close();
        const double childCpu = vh::bench::cpuSeconds(RUSAGE_CHILDREN);
        state.ResumeTiming();
        QProcess curl;
        curl.start(QStringLiteral("curl"),
                   {QStringLiteral("--parallel"), QStringLiteral("--parallel-max"), QStringLiteral("40"),
                    QStringLiteral("--silent"), QStringLiteral("--fail"), QStringLiteral("--config"), file.fileName()});
        const bool ran = curl.waitForFinished(600000) && curl.exitCode() == 0;
        state.PauseTiming();
        const int fetched = int(QDir(dir.path()).entryList({QStringLiteral("*.png")}, QDir::Files).size());
        if (!ran || fetched != f.urls.size()) {
            state.SkipWithError("curl did not fetch every file");
            return;
        }
        state.counters["curl_cpu_s"] = vh::bench::cpuSeconds(RUSAGE_CHILDREN) - childCpu;
        state.counters["files"] = fetched;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FetchFarm40Parallel)->Apply(farmRuns);

void BM_DecodeFarmAllCores(benchmark::State& state)
{
    BigFarm& f = BigFarm::get();
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    for (auto _ : state) {
        std::atomic<std::size_t> next{0};
        std::atomic<int> decoded{0};
        std::vector<std::thread> threads;
        for (unsigned t = 0; t < cores; ++t)
            threads.emplace_back([&] {
                for (std::size_t j = next++; j < f.pngs.size(); j = next++)
                    decoded += vh::platform::PngDecoder::decode(f.pngs[j]).ok() ? 1 : 0;
            });
        for (std::thread& t : threads)
            t.join();
        if (decoded != int(f.pngs.size()))
            state.SkipWithError("a PNG did not decode");
    }
    state.counters["threads"] = cores;
}
BENCHMARK(BM_DecodeFarmAllCores)->Apply(farmRuns);

// An inventory of every farm server with 40 download workers, as varnholt-cli inventory runs it. Argument 1:
// the intake as it is (analyses on worker threads); 0: every intake on the user-interface thread, as before.
void BM_CollectFarm(benchmark::State& state)
{
    BigFarm& f = BigFarm::get();
    const bool threaded = state.range(0) == 1;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        f.farm.writeWorkspace(dir.path(), {{vh::base::Setting::Threads, QStringLiteral("40")}});
        auto core = std::make_unique<vh::app::AppCore>();
        core->startupLoad(QStringLiteral("/nowhere/bench"), dir.path());
        core->startupLoadLists();
        vh::test::GameServerFarm::selectAllServers(*core);
        if (!threaded) {
            vh::app::AppCore& c = *core;
            c.pool().setIntakeHandler([&c](int w, const QString& file, const vh::collect::PageEntry& e) {
                c.intake().ProcessPBSS(w, vh::collect::DownloadedShot{e.BaseURL, e.IndexText, e.ShotTime, file});
            });
            c.pool().setIntakeLoad({}, {});
        }
        vh::bench::EventLoopGaps gaps;
        state.ResumeTiming();
        core->inventory().InventoryServers();
        state.PauseTiming();
        state.counters["entries"] = core->database().EntryCount();
        state.counters["max_gap_ms"] = double(gaps.maxGapMs());
        state.counters["ui_cpu_in_max_gap_ms"] = gaps.cpuInMaxGapMs();
        state.counters["gaps_over_50ms"] = gaps.gapsOver50Ms();
        if (core->database().EntryCount() != f.urls.size())
            state.SkipWithError("not every screenshot became an entry");
        core.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CollectFarm)->ArgName("threaded")->Arg(1)->Arg(0)->Apply(farmRuns);

} // namespace
