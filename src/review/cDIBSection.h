#pragma once

#include <QImage>
#include <QtGlobal>

#include <array>
#include <cstdint>
#include <vector>

class QPainter;

namespace vh::review {

// The 40-byte header and one empty colour entry that describe the bitmap: 24 bits, bottom-up, BI_RGB.
struct BitmapInfo
{
    quint32 size = 40;
    qint32 width = 0;
    qint32 height = 0;
    quint16 planes = 1;
    quint16 bitCount = 24;
    quint32 compression = 0;
    quint32 imageSize = 0;
    qint32 xPelsPerMeter = 0;
    qint32 yPelsPerMeter = 0;
    quint32 clrUsed = 0;
    quint32 clrImportant = 0;
    std::array<quint8, 4> colour{};
};
static_assert(sizeof(BitmapInfo) == 44, "the bitmap info is the 40-byte header and one 4-byte colour entry");

// A two-index byte view laid over a bitmap's own memory: x is the byte offset within a row, y the memory row
// (0 = the bottom row of the picture). Nothing is copied.
class ByteView2D final
{
public:
    ByteView2D(std::uint8_t* bits, int bytesPerScanLine) : m_bits(bits), m_stride(bytesPerScanLine) {}
    std::uint8_t& operator()(int x, int y) const { return m_bits[std::ptrdiff_t(y) * m_stride + x]; }

private:
    std::uint8_t* m_bits;
    int m_stride;
};

// An in-memory 24-bit bitmap, rows stored bottom-up as blue, green, red, each row padded to 4 bytes.
class cDIBSection final
{
public:
    cDIBSection() = default;
    ~cDIBSection() { ClearUp(); }
    cDIBSection(const cDIBSection&) = delete;
    cDIBSection& operator=(const cDIBSection&) = delete;

    // Allocates a new bitmap of the size; the old pixels are lost. False (and empty) when the size is unusable.
    bool Create(int lWidth, int lHeight);
    // Copies the whole picture into a new bitmap of its size; empty after a failure.
    void CreateFromPicture(const QImage& picThis);
    void ClearUp();

    int BytesPerScanLine() const { return (3 * m_info.width + 3) & ~3; }
    int Width() const { return m_info.width; }
    int Height() const { return m_info.height; }
    bool isEmpty() const { return m_bits.empty(); }
    const BitmapInfo& info() const { return m_info; }

    std::uint8_t* DIBSectionBitsPtr() { return m_bits.empty() ? nullptr : m_bits.data(); }
    const std::uint8_t* DIBSectionBitsPtr() const { return m_bits.empty() ? nullptr : m_bits.data(); }
    ByteView2D view() { return ByteView2D(DIBSectionBitsPtr(), BytesPerScanLine()); }

    // Draws the bitmap 1:1 at the destination; a negative width or height stands for the own size.
    void PaintPicture(QPainter& target, int lDestLeft, int lDestTop, int lDestWidth = -1, int lDestHeight = -1,
                      int lSrcLeft = 0, int lSrcTop = 0) const;
    // The bitmap as a top-down picture, for painting and for tests.
    QImage toImage() const;

    // Largest bitmap we allocate, so a hostile size cannot exhaust memory.
    static constexpr qint64 MaxBytes = 512LL * 1024 * 1024;

private:
    BitmapInfo m_info;
    std::vector<std::uint8_t> m_bits;
};

} // namespace vh::review
