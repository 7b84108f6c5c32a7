// Reading the text of a screenshot, the pixel checks and the whole intake, against decoding the PNG alone.
#include "ScreenshotMaker.h"
#include "base/ActivityLog.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "collect/ScreenshotIntake.h"
#include "database/Database.h"
#include "detect/Detection.h"
#include "detect/GlyphTable.h"
#include "detect/SuspiciousColors.h"
#include "platform/PngDecoder.h"
#include "review/cDIBSection.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace vh;

struct Fixture
{
    QTemporaryDir dir;
    base::Settings settings;
    base::ActivityLog log{settings};
    base::Workspace workspace{dir.path()};
    database::Database database;
    detect::GlyphTable glyphs;
    detect::SuspiciousColors colours;
    detect::Detection detection{glyphs, colours, database, settings, log, workspace};
    collect::ScreenshotIntake intake{detection, database, settings, log, workspace};

    Fixture()
    {
        workspace.createFolders();
        glyphs.LoadGlyphTable();
        colours.LoadSuspiciousColors();
        settings.setValue(base::Setting::ScanColorCodes, QStringLiteral("1"));
        settings.setValue(base::Setting::ScanNoFog, QStringLiteral("1"));
        settings.setValue(base::Setting::ScanNameChanger, QStringLiteral("1"));
        intake.setAddEntry([this](int w) {
            if (database.intakeSlot(w).CaptureWidth == 0)
                return;
            detection.ColourCodeCheck(w);
            if (database.isFull())
                database.clear();
            database.append(database.intakeSlot(w));
        });
    }
};

const QByteArray& screenshotPng()
{
    static const QByteArray png = shotmaker::ScreenshotMaker().png();
    return png;
}

void BM_ReadScreenText(benchmark::State& state)
{
    Fixture f;
    review::cDIBSection bitmap;
    bitmap.CreateFromPicture(shotmaker::ScreenshotMaker().image());
    const detect::ScreenTextReader reader(f.glyphs);
    database::ScreenshotEntry slot;
    for (auto _ : state) {
        benchmark::DoNotOptimize(reader.ReadScreenText(bitmap, slot));
        benchmark::DoNotOptimize(slot);
    }
    if (slot.CaptureWidth != 640)
        state.SkipWithError("the text was not read");
}
BENCHMARK(BM_ReadScreenText)->Unit(benchmark::kMicrosecond);

// A clean capture: nothing is found, so both scans visit every pixel they may.
void BM_CheckPixelsClean640x480(benchmark::State& state)
{
    Fixture f;
    review::cDIBSection bitmap;
    bitmap.CreateFromPicture(shotmaker::ScreenshotMaker().image());
    database::ScreenshotEntry slot;
    slot.CaptureWidth = 640;
    slot.CaptureHeight = 480;
    slot.HeaderInfo = QByteArrayLiteral("Bridge Crossing");
    for (auto _ : state) {
        const base::Problems problems = f.detection.checks().CheckPixels(bitmap, slot);
        benchmark::DoNotOptimize(problems);
    }
    if (!slot.AutoDetected.isEmpty())
        state.SkipWithError("the clean capture was marked");
}
BENCHMARK(BM_CheckPixelsClean640x480)->Unit(benchmark::kMicrosecond);

void BM_DecodePngOnly(benchmark::State& state)
{
    Fixture f;
    const QString path = f.workspace.path(base::Paths::Pbss) + QStringLiteral("/pb000123.png");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(screenshotPng());
    file.close();
    for (auto _ : state) {
        platform::Checked<QImage> r = platform::PngDecoder::LoadPicture(path);
        benchmark::DoNotOptimize(r.value.constBits());
    }
    state.counters["png_bytes"] = double(screenshotPng().size());
}
BENCHMARK(BM_DecodePngOnly)->Unit(benchmark::kMicrosecond);

// Decode, read, move into the vault, NameChanger, colour-code and NoFog checks, add: one downloaded screenshot.
void BM_IntakeWhole(benchmark::State& state)
{
    Fixture f;
    const QString path = f.workspace.path(base::Paths::Pbss) + QStringLiteral("/pb000123.png");
    const QByteArray index = "000123 \"Player\" GUID=0123456789abcdef0123456789abcdef (OK) 2026.12.06 10:00:00";
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(screenshotPng());
        file.close();
        // a new stamp each time keeps the vault names apart without numbering
        const QDateTime stamp = QDateTime(QDate(2026, 1, 1), QTime(0, 0)).addSecs(++n);
        f.intake.setClock([stamp] { return stamp; });
        state.ResumeTiming();
        f.intake.ProcessPBSS(0, collect::DownloadedShot{"http://127.0.0.1", index, "2026.12.06 10:00:00", path});
    }
    if (f.database.EntryCount() == 0)
        state.SkipWithError("nothing was added");
}
BENCHMARK(BM_IntakeWhole)->Unit(benchmark::kMicrosecond);

} // namespace
