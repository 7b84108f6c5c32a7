#include "review/cDIBSection.h"

#include <QPainter>
#include <QtEndian>

namespace vh::review {

bool cDIBSection::Create(int lWidth, int lHeight)
{
    ClearUp();
    if (lWidth <= 0 || lHeight <= 0)
        return false;
    const qint64 stride = (3 * qint64(lWidth) + 3) & ~qint64(3);
    if (stride * lHeight > MaxBytes)
        return false;
    m_info.width = lWidth;
    m_info.height = lHeight;
    m_info.imageSize = quint32(stride * lHeight);
    m_bits.assign(std::size_t(stride * lHeight), 0);
    return true;
}

void cDIBSection::CreateFromPicture(const QImage& picThis)
{
    if (picThis.isNull() || !Create(picThis.width(), picThis.height()))
        return;
    const QImage rgb =
        picThis.format() == QImage::Format_RGB32 ? picThis : picThis.convertToFormat(QImage::Format_RGB32);
    const int stride = BytesPerScanLine();
    for (int row = 0; row < m_info.height; ++row) {
        const auto* src = reinterpret_cast<const QRgb*>(rgb.constScanLine(row));
        std::uint8_t* dst = m_bits.data() + std::ptrdiff_t(m_info.height - 1 - row) * stride;
        int x = 0;
        // four pixels (0xffRRGGBB each) at a time become twelve bytes blue, green, red, in three words
        for (; x + 4 <= m_info.width; x += 4) {
            const std::uint32_t p0 = src[x], p1 = src[x + 1], p2 = src[x + 2], p3 = src[x + 3];
            qToLittleEndian<quint32>((p0 & 0xFFFFFFu) | (p1 << 24), dst + 3 * x);
            qToLittleEndian<quint32>(((p1 >> 8) & 0xFFFFu) | (p2 << 16), dst + 3 * x + 4);
            qToLittleEndian<quint32>(((p2 >> 16) & 0xFFu) | (p3 << 8), dst + 3 * x + 8);
        }
        for (; x < m_info.width; ++x) {
            dst[3 * x] = std::uint8_t(qBlue(src[x]));
            dst[3 * x + 1] = std::uint8_t(qGreen(src[x]));
            dst[3 * x + 2] = std::uint8_t(qRed(src[x]));
        }
    }
}

void cDIBSection::ClearUp()
{
    m_bits.clear();
    m_bits.shrink_to_fit();
    m_info = BitmapInfo();
}

QImage cDIBSection::toImage() const
{
    if (m_bits.empty())
        return QImage();
    QImage image(m_info.width, m_info.height, QImage::Format_RGB32);
    const int stride = BytesPerScanLine();
    for (int row = 0; row < m_info.height; ++row) {
        const std::uint8_t* src = m_bits.data() + std::ptrdiff_t(m_info.height - 1 - row) * stride;
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(row));
        for (int x = 0; x < m_info.width; ++x)
            dst[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
    }
    return image;
}

void cDIBSection::PaintPicture(QPainter& target, int lDestLeft, int lDestTop, int lDestWidth, int lDestHeight,
                               int lSrcLeft, int lSrcTop) const
{
    if (m_bits.empty())
        return;
    const int w = lDestWidth < 0 ? m_info.width : lDestWidth;
    const int h = lDestHeight < 0 ? m_info.height : lDestHeight;
    const QPainter::CompositionMode previous = target.compositionMode();
    target.setCompositionMode(QPainter::CompositionMode_Source);
    target.drawImage(QPoint(lDestLeft, lDestTop), toImage(), QRect(lSrcLeft, lSrcTop, w, h));
    target.setCompositionMode(previous);
}

} // namespace vh::review
