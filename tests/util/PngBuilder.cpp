#include "util/PngBuilder.h"

#include <QtEndian>

#include <zlib.h>

namespace vh::test {

namespace {

void appendBig32(QByteArray& out, quint32 v)
{
    char b[4];
    qToBigEndian(v, b);
    out.append(b, 4);
}

} // namespace

PngBuilder::PngBuilder(int width, int height, ColourType type, int bitDepth, Samples samples)
    : m_width(width), m_height(height), m_type(type), m_bitDepth(bitDepth), m_samples(std::move(samples))
{
}

QByteArray PngBuilder::signature()
{
    return QByteArray("\x89PNG\r\n\x1a\n", 8);
}

QByteArray PngBuilder::chunk(const char type[4], const QByteArray& data)
{
    QByteArray out;
    appendBig32(out, quint32(data.size()));
    const QByteArray body = QByteArray(type, 4) + data;
    out += body;
    appendBig32(out, quint32(::crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()))));
    return out;
}

QByteArray PngBuilder::ihdr(quint32 width, quint32 height, int bitDepth, ColourType type, bool interlaced)
{
    QByteArray data;
    appendBig32(data, width);
    appendBig32(data, height);
    data.append(char(bitDepth));
    data.append(char(type));
    data.append(char(0)); // deflate
    data.append(char(0)); // adaptive filtering
    data.append(char(interlaced ? 1 : 0));
    return chunk("IHDR", data);
}

QByteArray PngBuilder::build() const
{
    QByteArray scanlines;
    for (int y = 0; y < m_height; ++y) {
        scanlines.append(char(0)); // filter type None
        for (int x = 0; x < m_width; ++x) {
            for (quint16 s : m_samples(x, y))
                scanlines.append(char(s & 0xFF));
        }
    }
    QByteArray out = signature() + ihdr(quint32(m_width), quint32(m_height), m_bitDepth, m_type, false) + m_extra;
    // qCompress puts a four-byte length in front of the zlib stream
    out += chunk("IDAT", qCompress(scanlines).mid(4));
    out += chunk("IEND", QByteArray());
    return out;
}

} // namespace vh::test
