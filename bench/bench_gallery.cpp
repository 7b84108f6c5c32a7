// The team gallery over a full database (200000 entries): the list page unfiltered and with filters that scan
// every entry, the JSON list, and an entry page with the hashes of its picture and the player's other entries.
#include "banlists/Banlists.h"
#include "base/ActivityLog.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "database/Database.h"
#include "database/DatabaseFile.h"
#include "gallery/GallerySite.h"
#include "platform/AtomicFile.h"

#include <QDir>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "RealisticEntry.h"

#include <benchmark/benchmark.h>

using namespace vh;

namespace {

// A workspace with a full database, one picture of screenshot size and the gallery over them.
struct Gallery
{
    static constexpr int Shown = 123456;

    QTemporaryDir dir;
    base::Settings settings;
    base::ActivityLog log{settings};
    base::Workspace workspace{dir.path()};
    banlists::Banlists bans{log, workspace};
    gallery::GallerySite site{workspace, bans, log};

    Gallery()
    {
        QDir(dir.path()).mkpath(base::Paths::Vault);
        QDir(dir.path()).mkpath(QStringLiteral("data"));
        database::Database db;
        db.reserve(database::Database::Capacity);
        for (int i = 1; i <= database::Database::Capacity; ++i)
            db.append(bench::realisticEntry(i, true, true));
        platform::writeFileAtomically(workspace.path(base::Paths::DatabaseFile), database::DatabaseFile::serialize(db));
        // a noisy 660 x 575 picture compresses about as badly as a real screenshot
        QImage picture(660, 575, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb(x % 256, y % 256, int(QRandomGenerator::global()->bounded(64))));
        }
        picture.save(workspace.path(base::Paths::Vault) + QLatin1Char('/') +
                     QString::fromLatin1(db.entry(Shown).VaultName) + QStringLiteral(".png"));
        site.refresh();
    }
};

Gallery& gallery()
{
    static Gallery g;
    return g;
}

void BM_GalleryRequest(benchmark::State& state, const char* path, const char* query)
{
    Gallery& g = gallery();
    gallery::GalleryRequest request;
    request.path = QString::fromLatin1(path);
    request.query = QUrlQuery(QString::fromLatin1(query));
    qint64 bytes = 0;
    for (auto _ : state) {
        const gallery::GalleryResponse response = g.site.handle(request);
        if (response.status != 200)
            state.SkipWithError("not answered");
        bytes = response.body.size();
    }
    state.counters["response_kB"] = double(bytes) / 1e3;
}

} // namespace

BENCHMARK_CAPTURE(BM_GalleryRequest, list_newest, "/", "")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GalleryRequest, list_name_fragment, "/", "name=ayer_42")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(
    BM_GalleryRequest, list_every_filter, "/",
    "guid=AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA&name=player&server=official&from=2026-12-03&to=2026-12-20&page=3")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GalleryRequest, list_server_last_page, "/", "server=server%20%2339&page=50")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GalleryRequest, api_detected, "/api/entries", "detected=1")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GalleryRequest, entry_page, "/entry/123456", "")->Unit(benchmark::kMillisecond);
