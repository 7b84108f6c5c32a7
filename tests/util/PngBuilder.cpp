#include "util/PngBuilder.h"

#include <QtEndian>

#include <array>

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

quint32 PngBuilder::crc32(const QByteArray& bytes)
{
    static const auto table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    quint32 c = 0xFFFFFFFFu;
    for (char ch : bytes)
        c = table[(c ^ quint8(ch)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
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
    appendBig32(out, crc32(body));
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

QByteArray PngBuilder::row(int y, int x0, int dx, int count) const
{
    QByteArray out;
    out.append(char(0)); // filter type None
    for (int i = 0; i < count; ++i) {
        for (quint16 s : m_samples(x0 + i * dx, y)) {
            if (m_bitDepth == 16)
                out.append(char(s >> 8));
            out.append(char(s & 0xFF));
        }
    }
    return out;
}

QByteArray PngBuilder::scanlines() const
{
    QByteArray out;
    if (!m_interlaced) {
        for (int y = 0; y < m_height; ++y)
            out += row(y, 0, 1, m_width);
        return out;
    }
    // Adam7: start column, start row, column step, row step of the seven passes
    static constexpr int passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                         {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    for (const auto& p : passes) {
        const int cols = m_width > p[0] ? (m_width - p[0] + p[2] - 1) / p[2] : 0;
        if (cols == 0)
            continue;
        for (int y = p[1]; y < m_height; y += p[3])
            out += row(y, p[0], p[2], cols);
    }
    return out;
}

QByteArray PngBuilder::build() const
{
    QByteArray out = signature();
    out += ihdr(quint32(m_width), quint32(m_height), m_bitDepth, m_type, m_interlaced);
    out += m_extra;
    if (m_type == ColourType::Palette) {
        QByteArray plte;
        for (QRgb c : m_palette) {
            plte.append(char(qRed(c)));
            plte.append(char(qGreen(c)));
            plte.append(char(qBlue(c)));
        }
        out += chunk("PLTE", plte);
    }
    // qCompress puts a four-byte length in front of the zlib stream
    out += chunk("IDAT", qCompress(scanlines()).mid(4));
    out += chunk("IEND", QByteArray());
    return out;
}

} // namespace vh::test
