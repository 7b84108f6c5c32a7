#include "detect/CheatChecks.h"

#include "base/ActivityLog.h"
#include "base/Settings.h"
#include "detect/SuspiciousColors.h"
#include "review/cDIBSection.h"

#include <algorithm>

namespace vh::detect {

namespace {

const QString OutOfRange = QStringLiteral("Subscript out of range");

// Pixel colours read through the bitmap's byte view, with its bounds: a pixel is there when its three bytes
// lie within a row.
class PixelReader
{
public:
    explicit PixelReader(const review::cDIBSection& bitmap)
        : m_bits(bitmap.DIBSectionBitsPtr()), m_stride(bitmap.BytesPerScanLine()), m_height(bitmap.Height())
    {
    }
    bool colour(int x, int row, quint32& c) const
    {
        if (m_bits == nullptr || x < 0 || 3 * qint64(x) + 2 >= m_stride || row < 0 || row >= m_height)
            return false;
        const std::uint8_t* p = m_bits + std::ptrdiff_t(row) * m_stride + 3 * x;
        c = quint32(p[2]) | quint32(p[1]) << 8 | quint32(p[0]) << 16;
        return true;
    }
    // Whether the n pixels right of x all have the colour; false with ok cleared when one lies outside.
    bool runOf(int x, int row, int n, quint32 wanted, bool& ok) const
    {
        for (int i = 1; i <= n; ++i) {
            quint32 c = 0;
            if (!colour(x + i, row, c)) {
                ok = false;
                return false;
            }
            if (c != wanted)
                return false;
        }
        return true;
    }

    // The row's bytes and the last x whose pixel lies within it; nullptr when the row is not there.
    const std::uint8_t* row(int row, int& lastX) const
    {
        if (m_bits == nullptr || row < 0 || row >= m_height)
            return nullptr;
        lastX = (m_stride - 3) / 3;
        return m_bits + std::ptrdiff_t(row) * m_stride;
    }

private:
    const std::uint8_t* m_bits;
    int m_stride;
    int m_height;
};

QByteArray lowered(const QByteArray& latin1)
{
    return QString::fromLatin1(latin1).toLower().toLatin1();
}

} // namespace

CaptureArea CaptureArea::of(int width, int height, int captureWidth, int captureHeight)
{
    CaptureArea a;
    a.X0 = (width - captureWidth) / 2;
    a.X1 = a.X0 + captureWidth - 2;
    a.Y0 = height - 10 - captureHeight;
    a.Y1 = a.Y0 + captureHeight;
    return a;
}

QByteArray CheatChecks::noFogResult(const QByteArray& headerInfo)
{
    static const QByteArray maps[] = {QByteArrayLiteral("Bridge Crossing"), QByteArrayLiteral("Mountain Pass"),
                                      QByteArrayLiteral("Bridge SE"), QByteArrayLiteral("Mountain Pass SE")};
    for (const QByteArray& map : maps)
        if (headerInfo == map)
            return "NoFog " + map;
    return QByteArray();
}

void CheatChecks::CheckNameChanger(database::ScreenshotEntry& slot, int currentEntry) const
{
    if (!m_settings.isOn(base::Setting::ScanNameChanger) || slot.IndexText.isEmpty())
        return;
    const QByteArray& index = slot.IndexText;
    const qsizetype q1 = index.indexOf('"');
    const qsizetype q2 = q1 < 0 ? -1 : index.indexOf('"', q1 + 1);
    if (q2 < 0) {
        // without a quoted name there is nothing to compare the image's name with
        m_log.Log(QStringLiteral("Problems in checking for NameChanger, error:Invalid procedure call or argument "
                                 "DB-entry: %1")
                      .arg(currentEntry));
        return;
    }
    const qsizetype g = index.indexOf("GUID=", q2);
    if (g < 0)
        return;
    const QByteArray listedName = index.mid(q1 + 1, q2 - q1 - 1);
    const QByteArray listedGuid = index.mid(g + 5, 32);
    if (slot.GUID != listedGuid || lowered(listedName) == lowered(slot.PlayerName) ||
        slot.ServerName == "Another ArmyOps Server")
        return;
    slot.AutoDetected =
        slot.AutoDetected.isEmpty() ? QByteArrayLiteral("NameChanger") : slot.AutoDetected + ", NameChanger";
    slot.Cheating = true;
    if (slot.PlayerName.isEmpty() && slot.ServerName == "Unknown") {
        m_log.Log(QStringLiteral("Almost Namechanger"), base::Colours::Magenta);
        slot.Cheating = false;
        slot.AutoDetected.clear();
    }
}

base::Problems CheatChecks::CheckPixels(const review::cDIBSection& bitmap, database::ScreenshotEntry& slot) const
{
    return CheckPixels(m_colours, m_settings.isOn(base::Setting::ScanNoFog), bitmap, slot);
}

base::Problems CheatChecks::CheckPixels(const SuspiciousColors& colours, bool scanNoFog,
                                        const review::cDIBSection& bitmap, database::ScreenshotEntry& slot)
{
    const PixelReader px(bitmap);
    const CaptureArea a = CaptureArea::of(bitmap.Width(), bitmap.Height(), slot.CaptureWidth, slot.CaptureHeight);
    const int count = colours.SuspiciousColorCount();
    // one look at the red byte rules out almost every pixel before the colours are compared
    std::array<bool, 256> redOfInterest{};
    redOfInterest[0] = true;
    redOfInterest[PureRed] = true;
    for (int k = 0; k < count; ++k)
        redOfInterest[colours.at(k).Colour & 0xFF] = true;
    bool found = false;

    for (int row = a.Y1 - 20; row >= a.Y0 + 20 && !found; --row) {
        const int first = a.X0 + 20;
        const int last = a.X1 - 20;
        if (first > last)
            continue;
        int lastInRow = 0;
        const std::uint8_t* bytes = px.row(row, lastInRow);
        if (bytes == nullptr || first < 0)
            return {OutOfRange};
        for (int x = first; x <= std::min(last, lastInRow); ++x) {
            // the red byte of a pixel stored blue, green, red
            if (!redOfInterest[bytes[3 * x + 2]])
                continue;
            quint32 c = 0;
            px.colour(x, row, c);
            for (int k = 0; k < count; ++k) {
                const SuspiciousColor& s = colours.at(k);
                if (c != s.Colour)
                    continue;
                bool ok = true;
                const bool hit = s.MinRun < 2 || px.runOf(x, row, s.MinRun, s.Colour, ok);
                if (!ok)
                    return {OutOfRange};
                if (hit) {
                    slot.AutoDetected = s.Name;
                    slot.Cheating = true;
                    found = true;
                }
            }
            if (c == 0) {
                int reds = 0;
                bool inRed = false;
                bool closed = false;
                for (int i = 1; i <= NtdWindow; ++i) {
                    quint32 n = 0;
                    if (!px.colour(x + i, row, n))
                        return {OutOfRange};
                    if (n == 0) {
                        if (inRed) {
                            closed = true;
                            break;
                        }
                    } else if (n == PureRed) {
                        ++reds;
                        inRed = true;
                    } else {
                        break;
                    }
                }
                if (closed && reds > 8) {
                    slot.AutoDetected = QByteArrayLiteral("NTD Red");
                    slot.Cheating = true;
                    found = true;
                }
            }
            if (found)
                break;
        }
        // a capture area wider than the picture: the scan ran into its edge
        if (!found && last > lastInRow)
            return {OutOfRange};
    }

    if (!scanNoFog)
        return {};
    const QByteArray result = noFogResult(slot.HeaderInfo);
    if (result.isEmpty())
        return {};
    // the found state of the colour scan carries over: then only the first pixel is looked at
    for (int row = a.Y1; row >= a.Y0; row -= 3) {
        if (a.X0 > a.X1)
            continue;
        int lastInRow = 0;
        const std::uint8_t* bytes = px.row(row, lastInRow);
        if (bytes == nullptr || a.X0 < 0)
            return {OutOfRange};
        for (int x = a.X0; x <= std::min(a.X1, lastInRow); ++x) {
            quint32 c = 0;
            if (bytes[3 * x + 2] == (FogColour & 0xFF) && px.colour(x, row, c) && c == FogColour) {
                bool ok = true;
                const bool hit = px.runOf(x, row, 5, FogColour, ok);
                if (!ok)
                    return {OutOfRange};
                if (hit) {
                    slot.AutoDetected = result;
                    slot.Cheating = true;
                    found = true;
                }
            }
            if (found)
                return {};
        }
        if (a.X1 > lastInRow)
            return {OutOfRange};
    }
    return {};
}

} // namespace vh::detect
