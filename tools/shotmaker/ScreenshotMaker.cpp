#include "ScreenshotMaker.h"

#include "detect/GlyphTable.h"
#include "detect/ScreenTextReader.h"

#include <QBuffer>

namespace vh::shotmaker {

namespace {

const vh::detect::GlyphTable& glyphs()
{
    static const vh::detect::GlyphTable table = [] {
        vh::detect::GlyphTable t;
        t.LoadGlyphTable();
        return t;
    }();
    return table;
}

// Colours the checks react to; a clean pixel never takes one of them.
bool isSignalColour(QRgb c)
{
    static const QRgb signalColours[] = {qRgb(0, 0, 0),     qRgb(255, 0, 0),  qRgb(156, 154, 156), qRgb(239, 0, 0),
                                         qRgb(239, 94, 0),  qRgb(1, 254, 0),  qRgb(58, 95, 205),   qRgb(255, 64, 0),
                                         qRgb(127, 0, 127), qRgb(255, 215, 0)};
    for (QRgb s : signalColours)
        if ((c & 0xFFFFFF) == (s & 0xFFFFFF))
            return true;
    return false;
}

} // namespace

ScreenshotMaker::ScreenshotMaker(int width, int height)
    : m_width(width), m_height(height), m_captureWidth(qMax(0, width - 20)), m_captureHeight(qMax(0, height - 95))
{
    setText(ShotInfo());
}

ScreenshotMaker& ScreenshotMaker::setCaptureSize(int captureWidth, int captureHeight)
{
    m_captureWidth = captureWidth;
    m_captureHeight = captureHeight;
    return *this;
}

ScreenshotMaker& ScreenshotMaker::setNoise(int amplitude)
{
    m_noise = qMax(0, amplitude);
    return *this;
}

ScreenshotMaker& ScreenshotMaker::setLine(int n, const QByteArray& text)
{
    if (n >= 1 && n <= 5)
        m_lines[std::size_t(n - 1)] = text;
    return *this;
}

std::array<QByteArray, 5> ScreenshotMaker::linesFor(const ShotInfo& info, int captureWidth, int captureHeight)
{
    QByteArray second = info.shotFile + ' ' + info.serverAddress;
    if (!info.serverName.isEmpty())
        second += ' ' + info.serverName;
    const int w = info.statedWidth >= 0 ? info.statedWidth : captureWidth;
    const int h = info.statedHeight >= 0 ? info.statedHeight : captureHeight;
    return {
        QByteArrayLiteral("AAO: ") + info.map, second, QByteArrayLiteral("GUID *") + info.guid + "* " + info.playerName,
        info.captureFailed ? QByteArrayLiteral("Captured Solid DDraw Texture") : QByteArrayLiteral("Captured Image"),
        "w=" + QByteArray::number(w) + " h=" + QByteArray::number(h) + " sample=1"};
}

ScreenshotMaker& ScreenshotMaker::setText(const ShotInfo& info)
{
    m_lines = linesFor(info, m_captureWidth, m_captureHeight);
    return *this;
}

ScreenshotMaker& ScreenshotMaker::plantRun(QPoint at, QRgb colour, int length)
{
    m_plants.append({at, colour, length});
    return *this;
}

ScreenshotMaker& ScreenshotMaker::plantNtdRed(QPoint at, int reds)
{
    plantRun(at, qRgb(0, 0, 0), 1);
    plantRun(at + QPoint(1, 0), qRgb(255, 0, 0), reds);
    return plantRun(at + QPoint(1 + reds, 0), qRgb(0, 0, 0), 1);
}

ScreenshotMaker& ScreenshotMaker::plantFog(QPoint at, int length)
{
    return plantRun(at, qRgb(156, 154, 156), length);
}

QRect ScreenshotMaker::captureRect() const
{
    // centred, its top ten rows below the top of the screenshot
    return QRect((m_width - m_captureWidth) / 2, 9, m_captureWidth, m_captureHeight);
}

QPoint ScreenshotMaker::insideCapture(int margin) const
{
    return captureRect().topLeft() + QPoint(margin, margin);
}

void ScreenshotMaker::drawLine(QImage& image, int baseRow, const QByteArray& text)
{
    using vh::detect::GlyphTable;
    using vh::detect::ScreenTextReader;
    const int width = image.width();
    const int height = image.height();
    int x = ScreenTextReader::FirstCellX;
    for (const char ch : text) {
        if (x > width - 14)
            break;
        const GlyphTable::Glyph& g = glyphs().glyph(static_cast<unsigned char>(ch));
        for (int r = 0; r < GlyphTable::Rows; ++r) {
            const int row = height - 1 - (baseRow + 12 - r);
            if (row < 0 || row >= height)
                continue;
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
            for (int c = 0; c < GlyphTable::Columns; ++c)
                if (x + c < width)
                    line[x + c] = g[std::size_t(r * GlyphTable::Columns + c)] ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
        }
        x += static_cast<unsigned char>(ch) == ScreenTextReader::SkipCode ? 4 * ScreenTextReader::CellStep
                                                                          : ScreenTextReader::CellStep;
    }
}

QImage ScreenshotMaker::image() const
{
    QImage image(qMax(1, m_width), qMax(1, m_height), QImage::Format_RGB32);
    image.fill(qRgb(0, 0, 0));
    const QRect capture = captureRect().intersected(image.rect());
    quint32 seed = 0x2545F491;
    for (int y = capture.top(); y <= capture.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const int sky = capture.height() > 0 ? (y - capture.top()) * 255 / capture.height() : 0;
        for (int x = capture.left(); x <= capture.right(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int n = m_noise == 0 ? 0 : int((seed >> 16) % quint32(2 * m_noise + 1)) - m_noise;
            const bool ground = sky > 110 + (x * 7 % 37);
            int r = ground ? 70 + sky / 4 : 90 + sky / 3;
            int g = ground ? 80 + sky / 5 : 120 + sky / 4;
            int b = ground ? 40 + sky / 8 : 200 - sky / 5;
            QRgb c = qRgb(qBound(1, r + n, 254), qBound(1, g + n, 254), qBound(1, b + n, 254));
            if (isSignalColour(c))
                c ^= 1;
            line[x] = c;
        }
    }
    for (const Plant& p : m_plants)
        for (int i = 0; i < p.length; ++i)
            if (image.rect().contains(p.at + QPoint(i, 0)))
                image.setPixel(p.at + QPoint(i, 0), p.colour);
    for (int n = 0; n < 5; ++n)
        drawLine(image, vh::detect::ScreenTextReader::LineBaseRows[std::size_t(n)], m_lines[std::size_t(n)]);
    return image;
}

QByteArray ScreenshotMaker::png() const
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image().save(&buffer, "PNG");
    return bytes;
}

} // namespace vh::shotmaker
