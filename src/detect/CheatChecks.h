#pragma once

#include "base/Checked.h"
#include "database/ScreenshotEntry.h"

#include <QString>

#include <array>

namespace vh::base {
class ActivityLog;
class Settings;
} // namespace vh::base

namespace vh::review {
class cDIBSection;
}

namespace vh::detect {

class SuspiciousColors;

// The capture area of a screenshot: the captured game picture, centred, its top ten rows below the top.
struct CaptureArea
{
    int X0 = 0, X1 = 0; // columns
    int Y0 = 0, Y1 = 0; // memory rows counted from the bottom; Y1 is the top
    static CaptureArea of(int width, int height, int captureWidth, int captureHeight);
};

// The checks that mark a screenshot as suspicious: a changed player name, suspicious colours and NoFog.
class CheatChecks final
{
public:
    static constexpr quint32 FogColour = 10263196;
    static constexpr quint32 PureRed = 255;
    static constexpr int NtdWindow = 32;

    CheatChecks(const SuspiciousColors& colours, const base::Settings& settings, base::ActivityLog& log)
        : m_colours(colours), m_settings(settings), m_log(log)
    {
    }

    // The player name on the image against the name the index page lists for the same GUID.
    void CheckNameChanger(database::ScreenshotEntry& slot, int currentEntry) const;

    // The colour-code scan and, when ScanNoFog is on, the NoFog scan. Returns the error description when a
    // pixel that had to be looked at lies outside the bitmap (the results found until then stay), else nothing.
    base::Problems CheckPixels(const review::cDIBSection& bitmap, database::ScreenshotEntry& slot) const;
    // The same scans with the table and the NoFog switch given: touches nothing but its arguments, so it may
    // run on a worker thread.
    static base::Problems CheckPixels(const SuspiciousColors& colours, bool scanNoFog,
                                      const review::cDIBSection& bitmap, database::ScreenshotEntry& slot);

    // The NoFog result text for a header, empty when the header names none of the four maps.
    static QByteArray noFogResult(const QByteArray& headerInfo);

private:
    const SuspiciousColors& m_colours;
    const base::Settings& m_settings;
    base::ActivityLog& m_log;
};

} // namespace vh::detect
