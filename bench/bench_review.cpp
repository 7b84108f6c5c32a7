// The review side: moving to the next entry, a gamma step, a player search over a full table, and how long the
// event loop waits while a 40-worker collection runs.
#include "ScreenshotMaker.h"
#include "app/AppCore.h"
#include "banlists/Banlists.h"
#include "base/ActivityLog.h"
#include "base/Paths.h"
#include "base/RunFlags.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "database/Database.h"
#include "database/EntryStore.h"
#include "database/PlayerSearch.h"
#include "database/VaultHousekeeping.h"
#include "review/ReviewSession.h"
#include "util/GameServerFarm.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

using namespace vh;

database::ScreenshotEntry entry(int n)
{
    const QByteArray num = QByteArray::number(n).rightJustified(6, '0');
    database::ScreenshotEntry e;
    e.ShotFile = "pb" + num + ".png";
    e.ServerName = "Server " + QByteArray::number(n % 300);
    e.GUID = QByteArray::number(qulonglong(n % 5000) * 2654435761ULL, 16).rightJustified(32, '0');
    e.PlayerName = "=XY= Player_" + QByteArray::number(n % 7000) + " [Clan]";
    e.ServerURL = "http://10.0.0.1/pb";
    e.IndexText = num + " \"" + e.PlayerName + "\" GUID=" + e.GUID + " 2026.12.06 10:00:00";
    e.VaultName = "20261206100000" + e.ShotFile;
    e.ShotTime = "2026.12.06 10:00:00";
    e.CaptureWidth = 640;
    e.CaptureHeight = 480;
    return e;
}

// Two entries with a 660 x 575 screenshot each, in mode 3 as an administrator would look at them.
struct ReviewFixture
{
    QTemporaryDir dir;
    base::Settings settings;
    base::ActivityLog log{settings};
    base::Workspace workspace{dir.path()};
    base::RunFlags flags;
    database::Database db;
    database::EntryStore store{db, settings, log, flags, workspace};
    database::VaultHousekeeping vault{db, log, workspace};
    banlists::Banlists banlists{log, workspace};
    review::ReviewSession session{db, store, vault, banlists, settings, log, workspace};

    ReviewFixture()
    {
        workspace.createFolders();
        settings.setValue(base::Setting::DisplayMode, QStringLiteral("3"));
        const QByteArray png = shotmaker::ScreenshotMaker().png();
        for (int n = 1; n <= 2; ++n) {
            db.append(entry(n));
            QFile file(workspace.path(base::Paths::Vault) + QLatin1Char('/') +
                       QString::fromLatin1(db.entry(n).VaultName) + QStringLiteral(".png"));
            file.open(QIODevice::WriteOnly);
            file.write(png);
        }
        session.ShowCurrentEntry();
    }
};

void BM_NextEntry(benchmark::State& state)
{
    ReviewFixture f;
    int next = 2;
    for (auto _ : state) {
        f.session.showEntry(next);
        QImage view = f.session.renderView(650);
        benchmark::DoNotOptimize(view);
        next = 3 - next;
    }
}
BENCHMARK(BM_NextEntry)->Unit(benchmark::kMillisecond);

void BM_GammaStep(benchmark::State& state)
{
    ReviewFixture f;
    int value = 9;
    for (auto _ : state) {
        f.session.setGammaSlider(value);
        QImage view = f.session.renderView(650);
        benchmark::DoNotOptimize(view);
        value = value == 9 ? 11 : 9;
    }
}
BENCHMARK(BM_GammaStep)->Unit(benchmark::kMillisecond);

void BM_SearchFullTable(benchmark::State& state)
{
    database::Database db;
    for (int n = 1; n <= database::Database::Capacity; ++n)
        db.append(entry(n));
    const QString text =
        state.range(0) == 0 ? QStringLiteral("player_123 ") : QString::fromLatin1(entry(4242).GUID.toUpper());
    for (auto _ : state) {
        database::SearchResult result = database::searchPlayers(db, text);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_SearchFullTable)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A collection with 40 workers over simulated servers on loopback; a 10 ms timer stands for the user's
// actions and records how late each of its ticks came.
void BM_EventLoopDuringCollection(benchmark::State& state)
{
    for (auto _ : state) {
        test::GameServerFarm farm(4);
        for (int k = 0; k < farm.serverCount(); ++k) {
            for (int s = 0; s < 50; ++s)
                farm.addShot(k, QByteArray::number(k * 100 + s, 16).rightJustified(32, '0'));
        }
        farm.publish();
        QTemporaryDir dir;
        farm.writeWorkspace(dir.path(), {{base::Setting::Threads, QStringLiteral("40")}});
        app::AppCore core;
        core.startupLoad(QStringLiteral("/nowhere/bench"), dir.path());
        core.startupLoadLists();
        test::GameServerFarm::selectAllServers(core);

        QElapsedTimer clock;
        qint64 last = 0;
        qint64 worst = 0;
        std::vector<qint64> lateness;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            lateness.push_back(std::max<qint64>(0, now - last - 10));
            worst = std::max(worst, now - last - 10);
            last = now;
        });
        clock.start();
        probe.start(10);
        core.inventory().InventoryServers();
        probe.stop();
        std::sort(lateness.begin(), lateness.end());
        state.counters["entries"] = core.database().EntryCount();
        state.counters["worst_wait_ms"] = double(worst);
        state.counters["p99_wait_ms"] =
            lateness.empty() ? 0.0 : double(lateness[std::min(lateness.size() - 1, lateness.size() * 99 / 100)]);
        state.counters["run_ms"] = double(clock.elapsed());
    }
}
BENCHMARK(BM_EventLoopDuringCollection)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
