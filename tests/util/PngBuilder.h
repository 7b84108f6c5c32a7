#pragma once

#include <QByteArray>
#include <QList>

#include <functional>

namespace vh::test {

// Writes PNG files byte by byte, so the suites can feed the decoder colour types and damage a screenshot server
// could deliver, without a PNG writer of our own choosing in between.
class PngBuilder final
{
public:
    enum class ColourType : quint8
    {
        Rgb = 2,
        Rgba = 6
    };

    // The raw samples of pixel (x, y) in file order, 8 bits wide.
    using Samples = std::function<QList<quint16>(int x, int y)>;

    PngBuilder(int width, int height, ColourType type, int bitDepth, Samples samples);

    // An ancillary chunk placed before the image data (gAMA, iCCP, ...).
    void addChunk(const QByteArray& chunkBytes) { m_extra += chunkBytes; }

    QByteArray build() const;

    // A chunk with its length and CRC, for hand-made files.
    static QByteArray chunk(const char type[4], const QByteArray& data);
    static QByteArray signature();
    static QByteArray ihdr(quint32 width, quint32 height, int bitDepth, ColourType type, bool interlaced);

private:
    int m_width;
    int m_height;
    ColourType m_type;
    int m_bitDepth;
    Samples m_samples;
    QByteArray m_extra;
};

} // namespace vh::test
