#pragma once

#include <QByteArray>
#include <QList>
#include <QRgb>

#include <functional>

namespace vh::test {

// Writes PNG files byte by byte, so the suites can feed the decoder every colour type, bit depth, interlacing and
// damage a screenshot server could deliver, without a PNG writer of our own choosing in between.
class PngBuilder final
{
public:
    enum class ColourType : quint8
    {
        Grey = 0,
        Rgb = 2,
        Palette = 3,
        GreyAlpha = 4,
        Rgba = 6
    };

    // The raw samples of pixel (x, y) in file order, each 8 or 16 bits wide as the bit depth says (a palette
    // index for palette files).
    using Samples = std::function<QList<quint16>(int x, int y)>;

    PngBuilder(int width, int height, ColourType type, int bitDepth, Samples samples);

    void setInterlaced(bool on) { m_interlaced = on; }
    void setPalette(const QList<QRgb>& colours) { m_palette = colours; }
    // An ancillary chunk placed before the image data (gAMA, iCCP, ...).
    void addChunk(const QByteArray& chunkBytes) { m_extra += chunkBytes; }

    QByteArray build() const;

    // A chunk with its length and CRC, for hand-made files.
    static QByteArray chunk(const char type[4], const QByteArray& data);
    static QByteArray signature();
    static QByteArray ihdr(quint32 width, quint32 height, int bitDepth, ColourType type, bool interlaced);
    static quint32 crc32(const QByteArray& bytes);

private:
    QByteArray scanlines() const;
    QByteArray row(int y0, int x0, int dx, int count) const;

    int m_width;
    int m_height;
    ColourType m_type;
    int m_bitDepth;
    Samples m_samples;
    bool m_interlaced = false;
    QList<QRgb> m_palette;
    QByteArray m_extra;
};

} // namespace vh::test
