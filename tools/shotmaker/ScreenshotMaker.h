#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>

#include <array>

namespace vh::shotmaker {

// What PunkBuster writes into a screenshot, from which the five text lines are built.
struct ShotInfo
{
    QByteArray map = QByteArrayLiteral("Bridge Crossing");
    QByteArray shotFile = QByteArrayLiteral("pb000123.png");
    QByteArray serverAddress = QByteArrayLiteral("1.2.3.4:1716");
    QByteArray serverName = QByteArrayLiteral("My Server"); // empty: the line has no server name
    QByteArray guid = QByteArrayLiteral("0123456789abcdef0123456789abcdef");
    QByteArray playerName = QByteArrayLiteral("Player");
    bool captureFailed = false;
    // the capture size written into line 5; by default the maker's capture size
    int statedWidth = -1;
    int statedHeight = -1;
};

// Makes synthetic PunkBuster screenshots: a game-like capture area of any size above the five text lines,
// drawn with the program's own glyph table, with the signatures the cheat checks look for planted on request.
// The clean picture never holds black, pure red, the fog grey or a suspicious colour.
class ScreenshotMaker final
{
public:
    static constexpr int DefaultWidth = 660;
    static constexpr int DefaultHeight = 575;

    // The capture area is width - 20 by height - 95 unless set.
    explicit ScreenshotMaker(int width = DefaultWidth, int height = DefaultHeight);

    ScreenshotMaker& setCaptureSize(int captureWidth, int captureHeight);
    // Texture of the clean picture: 0 gives flat areas, larger values more noise (and larger PNG files).
    ScreenshotMaker& setNoise(int amplitude);
    // Line n (1 to 5) exactly as given; a byte 27 skips the next three cells, as the reader does.
    ScreenshotMaker& setLine(int n, const QByteArray& text);
    // All five lines from the shot's facts.
    ScreenshotMaker& setText(const ShotInfo& info);
    static std::array<QByteArray, 5> linesFor(const ShotInfo& info, int captureWidth, int captureHeight);

    // Signatures, at positions in picture coordinates (top-down, as QImage counts).
    ScreenshotMaker& plantRun(QPoint at, QRgb colour, int length);
    // A black pixel, reds pure red pixels, a black pixel.
    ScreenshotMaker& plantNtdRed(QPoint at, int reds);
    ScreenshotMaker& plantFog(QPoint at, int length = 6);

    // The capture area in picture coordinates; a point inside it at least margin pixels from its edges.
    QRect captureRect() const;
    QPoint insideCapture(int margin = 30) const;

    QImage image() const;
    QByteArray png() const;

    // Draws the text along the line whose base is at memory row baseRow (rows counted from the bottom).
    static void drawLine(QImage& image, int baseRow, const QByteArray& text);

private:
    struct Plant
    {
        QPoint at;
        QRgb colour;
        int length;
    };

    int m_width;
    int m_height;
    int m_captureWidth;
    int m_captureHeight;
    int m_noise = 6;
    std::array<QByteArray, 5> m_lines{};
    QList<Plant> m_plants;
};

} // namespace vh::shotmaker
