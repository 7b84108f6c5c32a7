#include "review/PicturePipeline.h"

#include "platform/PngDecoder.h"

namespace vh::review {

double PicturePipeline::gammaForSlider(int sliderValue)
{
    const int setting = (20 - sliderValue) * 10;
    if (setting == 100)
        return 1.0;
    if (setting < 100)
        return 1.0 / (5.0 - setting / 25.0);
    return (setting - 100) / 25.0 + 1.0;
}

base::Problems PicturePipeline::load(const QString& path)
{
    const base::Checked<QImage> decoded = platform::PngDecoder::LoadPicture(path);
    if (!decoded.ok()) {
        clear();
        return decoded.problems;
    }
    setPicture(decoded.value);
    return {};
}

void PicturePipeline::setPicture(const QImage& picture)
{
    m_picture = picture;
    // a new picture is always painted from its own pixels, also when the slider already stands at 10
    m_slider = NeutralSlider;
    setGammaSlider(NeutralSlider);
}

void PicturePipeline::clear()
{
    m_picture = QImage();
    m_painted = QImage();
    m_source.ClearUp();
    m_corrected.ClearUp();
}

void PicturePipeline::setGammaSlider(int sliderValue)
{
    m_slider = sliderValue;
    if (sliderValue == NeutralSlider) {
        m_source.CreateFromPicture(m_picture);
        m_corrected.Create(m_source.Width(), m_source.Height());
    }
    m_gamma.gamma(gammaForSlider(sliderValue));
    paint();
}

void PicturePipeline::paint()
{
    if (m_source.isEmpty() || m_corrected.isEmpty()) {
        m_painted = QImage();
        return;
    }
    m_gamma.Correct(m_source, m_corrected);
    // written straight into the painted picture's rows: no painter and no second copy per change
    const int w = m_corrected.Width();
    const int h = m_corrected.Height();
    if (m_painted.size() != QSize(w, h) || m_painted.format() != QImage::Format_RGB32)
        m_painted = QImage(w, h, QImage::Format_RGB32);
    const int stride = m_corrected.BytesPerScanLine();
    const std::uint8_t* bits = m_corrected.DIBSectionBitsPtr();
    for (int row = 0; row < h; ++row) {
        const std::uint8_t* src = bits + std::ptrdiff_t(h - 1 - row) * stride;
        auto* dst = reinterpret_cast<QRgb*>(m_painted.scanLine(row));
        for (int x = 0; x < w; ++x)
            dst[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
    }
}

} // namespace vh::review
