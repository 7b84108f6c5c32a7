#include "review/cGammaCorrect.h"

#include "review/cDIBSection.h"

#include <algorithm>
#include <cmath>

namespace vh::review {

void cGammaCorrect::gamma(double fGamma)
{
    m_gamma = fGamma;
    createGammaTable();
}

void cGammaCorrect::createGammaTable()
{
    for (int i = 0; i < 256; ++i) {
        const double p = std::pow(i / 255.0, 1.0 / m_gamma);
        // the conversion rounds half to even after 0.5 was added: an exact odd product goes one up
        const double v = p * 255.0 + 0.5;
        const long rounded = std::lrint(v);
        const auto value = std::uint8_t(std::clamp<long>(rounded, 0, 255));
        m_red[std::size_t(i)] = value;
        m_green[std::size_t(i)] = value;
        m_blue[std::size_t(i)] = value;
    }
}

void cGammaCorrect::Correct(const cDIBSection& cSrc, cDIBSection& cDst) const
{
    if (cSrc.isEmpty() || cDst.isEmpty() || cDst.BytesPerScanLine() < cSrc.BytesPerScanLine() ||
        cDst.Height() < cSrc.Height())
        return;
    const int srcStride = cSrc.BytesPerScanLine();
    const int dstStride = cDst.BytesPerScanLine();
    const std::uint8_t* src = cSrc.DIBSectionBitsPtr();
    std::uint8_t* dst = cDst.DIBSectionBitsPtr();
    for (int y = 0; y < cSrc.Height(); ++y) {
        const std::uint8_t* s = src + std::ptrdiff_t(y) * srcStride;
        std::uint8_t* d = dst + std::ptrdiff_t(y) * dstStride;
        // the row padding is corrected too, as far as a whole pixel fits into the row length
        for (int x = 0; x + 3 <= srcStride; x += 3) {
            d[x + 2] = m_red[s[x + 2]];
            d[x + 1] = m_green[s[x + 1]];
            d[x] = m_blue[s[x]];
        }
    }
}

} // namespace vh::review
