#pragma once

#include "detect/CheatChecks.h"
#include "detect/ScreenTextReader.h"
#include "review/cDIBSection.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <functional>

namespace vh::base {
class ActivityLog;
class Settings;
class Workspace;
} // namespace vh::base

namespace vh::database {
class Database;
}

namespace vh::detect {

class GlyphTable;
class SuspiciousColors;

// Reads the text of a downloaded screenshot into its worker's intake slot and runs the cheat checks on it.
// Each worker slot keeps the picture of its screenshot from the scan until the intake releases it, so the
// pixel checks look at the same pixels without decoding the file again.
class Detection final
{
public:
    Detection(const GlyphTable& glyphs, const SuspiciousColors& colours, database::Database& database,
              const base::Settings& settings, base::ActivityLog& log, const base::Workspace& workspace);

    // PBSS/failed keeps its newest copies up to this many bytes.
    static constexpr qint64 DefaultFailedBudget = 256LL * 1024 * 1024;

    // Decodes the PNG into the slot's picture and reads its text into the slot. A failure is logged and a
    // PNG file is copied to PBSS/failed (one copy per server and shot, the newest replacing the older); the
    // slot then has no capture size, so it never becomes an entry. False when the text could not be read.
    bool ScanScreenshot(int slot, const QString& pngPath);

    // The NameChanger check of the slot, when ScanNameChanger is on.
    void CheckNameChanger(int slot);
    // The colour-code and NoFog scans over the slot's picture.
    void RunPixelChecks(int slot);
    // The check the step that adds a slot to the database runs: the pixel checks, when ScanColorCodes is on
    // and the slot is not already marked.
    void ColourCodeCheck(int slot);

    const review::cDIBSection& picture(int slot) const { return m_pictures.at(std::size_t(slot)); }
    void releasePicture(int slot);

    const ScreenTextReader& reader() const { return m_reader; }
    const CheatChecks& checks() const { return m_checks; }

    // The clock the names in PBSS/failed are stamped with; tests set their own.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    void setFailedBudget(qint64 bytes) { m_failedBudget = bytes; }

private:
    static bool isSlot(int slot);
    void copyToFailed(const QString& pngPath, const QByteArray& serverUrl) const;
    void trimFailed(const QString& kept) const;

    database::Database& m_database;
    const base::Settings& m_settings;
    base::ActivityLog& m_log;
    const base::Workspace& m_workspace;
    ScreenTextReader m_reader;
    CheatChecks m_checks;
    std::function<QDateTime()> m_clock;
    qint64 m_failedBudget = DefaultFailedBudget;
    std::array<review::cDIBSection, 121> m_pictures;
};

} // namespace vh::detect
