#pragma once

#include "detect/CheatChecks.h"
#include "detect/GlyphTable.h"
#include "detect/ScreenTextReader.h"
#include "detect/SuspiciousColors.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace vh::base {
class ActivityLog;
class Settings;
class Workspace;
} // namespace vh::base

namespace vh::database {
class Database;
}

namespace vh::detect {

// The tables and switches an analysis works with, copied: analyses on worker threads share nothing that the
// user-interface thread changes.
struct AnalysisConfig
{
    GlyphTable glyphs;
    SuspiciousColors colours;
    bool colourCodes = false; // ScanColorCodes: the pixel checks are made
    bool noFog = false;       // ScanNoFog
};

// What the pixel checks found on one screenshot; applied when the entry is added.
struct PixelFindings
{
    QByteArray detected; // the AutoDetected text of a hit, empty when none
    QString error;       // a pixel that had to be looked at lies outside the bitmap
    int width = 0, height = 0;
};

// What the analysis of one screenshot found: the text read, and the pixel checks over the same picture.
struct ShotAnalysis
{
    database::ScreenshotEntry entry; // the entry given, with what was read from the image
    QString scanError;               // empty when the text was read
    int width = 0, height = 0;       // of the decoded picture
    std::optional<PixelFindings> pixels;
};

// Reads the text of a downloaded screenshot and runs the cheat checks on it. The decoding, the text reading
// and the pixel checks are one pure function (analyse) that may run on a worker thread; what touches the log,
// the files or the intake slots runs on the user-interface thread.
class Detection final
{
public:
    Detection(const GlyphTable& glyphs, const SuspiciousColors& colours, database::Database& database,
              const base::Settings& settings, base::ActivityLog& log, const base::Workspace& workspace);

    // PBSS/failed keeps its newest copies up to this many bytes.
    static constexpr qint64 DefaultFailedBudget = 256LL * 1024 * 1024;

    // A copy of the tables and switches as they are now, for analyses.
    std::shared_ptr<const AnalysisConfig> analysisConfig() const;

    // Decodes the PNG file and reads its text into the entry; with capture size and colour codes on, runs the pixel
    // checks over the same picture. Touches nothing but its arguments. On a failure the entry has no capture
    // size, so it never becomes an entry.
    static ShotAnalysis analyse(const AnalysisConfig& config, const QString& pngPath, database::ScreenshotEntry entry);

    // Reports an analysis whose text could not be read: the log line, and a PNG file copied to PBSS/failed
    // (one copy per server and shot, the newest replacing the older). False then; true when it was read.
    bool reportScan(const ShotAnalysis& analysis, const QString& pngPath);

    // The NameChanger check of the slot, when ScanNameChanger is on.
    void CheckNameChanger(int slot);
    // Sets the pixel findings that the slot's pixel checks apply, until released.
    void setPixelFindings(int slot, std::optional<PixelFindings> findings);
    // Applies the slot's pixel findings (the colour-code and NoFog scans) to the slot.
    void RunPixelChecks(int slot);
    // The check the step that adds a slot to the database runs: the pixel checks, when ScanColorCodes is on
    // and the slot is not already marked.
    void ColourCodeCheck(int slot);
    void releasePixelFindings(int slot);

    const ScreenTextReader& reader() const { return m_reader; }
    const CheatChecks& checks() const { return m_checks; }

    // The clock the names in PBSS/failed are stamped with; tests set their own.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    void setFailedBudget(qint64 bytes) { m_failedBudget = bytes; }

private:
    static bool isSlot(int slot);
    void copyToFailed(const QString& pngPath, const QByteArray& serverUrl) const;
    void trimFailed(const QString& kept) const;

    const GlyphTable& m_glyphs;
    const SuspiciousColors& m_colours;
    database::Database& m_database;
    const base::Settings& m_settings;
    base::ActivityLog& m_log;
    const base::Workspace& m_workspace;
    ScreenTextReader m_reader;
    CheatChecks m_checks;
    std::function<QDateTime()> m_clock;
    qint64 m_failedBudget = DefaultFailedBudget;
    std::array<std::optional<PixelFindings>, 121> m_findings;
};

} // namespace vh::detect
