// Loading and saving a full database (200000 entries with realistic field lengths) through EntryStore, and
// the memory the loaded table takes compared with its file.
#include "app/AppCore.h"
#include "base/ActivityLog.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "database/Database.h"
#include "database/DatabaseFile.h"
#include "database/EntryStore.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "EventLoopGaps.h"
#include "RealisticEntry.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <malloc.h>
#include <memory>
#include <unistd.h>

using namespace vh;

namespace {

long residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// A workspace with the core pieces an EntryStore works on.
struct Bench
{
    QTemporaryDir dir;
    base::Settings settings;
    base::ActivityLog log{settings};
    base::RunFlags flags;
    base::Workspace workspace{dir.path()};
    std::unique_ptr<database::Database> db = std::make_unique<database::Database>();
    std::unique_ptr<database::EntryStore> store = makeStore();

    Bench() { QDir(dir.path()).mkpath(QStringLiteral("data")); }
    std::unique_ptr<database::EntryStore> makeStore()
    {
        return std::make_unique<database::EntryStore>(*db, settings, log, flags, workspace);
    }
    void fill()
    {
        db->reserve(database::Database::Capacity);
        for (int i = 1; i <= database::Database::Capacity; ++i)
            db->append(bench::realisticEntry(i, false, false));
    }
    void fresh()
    {
        store.reset();
        db = std::make_unique<database::Database>();
        store = makeStore();
    }
    qint64 fileSize() const { return QFileInfo(workspace.path(base::Paths::DatabaseFile)).size(); }
};

void BM_SaveDatabase(benchmark::State& state)
{
    Bench b;
    b.fill();
    for (auto _ : state) {
        if (!b.store->SaveDatabase())
            state.SkipWithError("save failed");
    }
    state.counters["file_MB"] = double(b.fileSize()) / 1e6;
}

// The bytes alone, without the file system.
void BM_SerializeDatabase(benchmark::State& state)
{
    Bench b;
    b.fill();
    for (auto _ : state)
        benchmark::DoNotOptimize(database::DatabaseFile::serialize(*b.db));
}

// The save after a server visit that brought 100 screenshots, with a full table and the event loop running
// meanwhile. Argument 1: the table only grew since the last save; 0: an early entry was also marked, so the
// whole table is written anew. Counters: the user-interface thread's CPU time, the longest event-loop gap.
void BM_SaveAfterVisit(benchmark::State& state)
{
    Bench b;
    b.fill();
    // room for 200 visits
    b.db->truncate(database::Database::Capacity - 20000);
    b.store->SaveDatabaseIfChanged();
    const bool grownOnly = state.range(0) == 1;
    int next = b.db->EntryCount() + 1;
    double uiCpu = 0;
    qint64 maxGap = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (b.db->EntryCount() + 100 > database::Database::Capacity) {
            state.SkipWithError("the table is full");
            break;
        }
        for (int i = 0; i < 100; ++i) {
            b.db->intakeSlot(0) = bench::realisticEntry(next++, false, false);
            b.store->AddEntry(0);
        }
        if (!grownOnly)
            b.db->entry(1).Cheating = !b.db->entry(1).Cheating;
        bench::EventLoopGaps gaps;
        const double cpu = bench::cpuSeconds(RUSAGE_THREAD);
        state.ResumeTiming();
        if (!b.store->SaveDatabaseIfChanged())
            state.SkipWithError("save failed");
        state.PauseTiming();
        uiCpu = std::max(uiCpu, bench::cpuSeconds(RUSAGE_THREAD) - cpu);
        maxGap = std::max(maxGap, gaps.maxGapMs());
        state.ResumeTiming();
    }
    state.counters["ui_cpu_ms_max"] = uiCpu * 1000;
    state.counters["max_gap_ms"] = double(maxGap);
    state.counters["file_MB"] = double(b.fileSize()) / 1e6;
}

void BM_LoadDatabase(benchmark::State& state)
{
    Bench b;
    b.fill();
    b.store->SaveDatabase();
    for (auto _ : state) {
        state.PauseTiming();
        b.fresh();
        state.ResumeTiming();
        b.store->LoadDatabase();
        if (b.db->EntryCount() != database::Database::Capacity)
            state.SkipWithError("load incomplete");
    }
}

void BM_LoadedTableMemory(benchmark::State& state)
{
    Bench b;
    b.fill();
    b.store->SaveDatabase();
    const double file = double(b.fileSize());
    double growth = 0;
    for (auto _ : state) {
        state.PauseTiming();
        b.fresh();
        // the table built for saving is gone; its small blocks go back to the system before measuring
        malloc_trim(0);
        const long before = residentBytes();
        state.ResumeTiming();
        b.store->LoadDatabase();
        state.PauseTiming();
        growth = double(residentBytes() - before);
        state.ResumeTiming();
    }
    state.counters["file_MB"] = file / 1e6;
    state.counters["rss_growth_MB"] = growth / 1e6;
    state.counters["rss_per_file_byte"] = growth / file;
}

} // namespace

BENCHMARK(BM_SaveDatabase)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SerializeDatabase)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveAfterVisit)->ArgName("grown_only")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadDatabase)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadedTableMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
