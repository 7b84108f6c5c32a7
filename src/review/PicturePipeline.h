#pragma once

#include "base/Checked.h"
#include "review/cDIBSection.h"
#include "review/cGammaCorrect.h"

#include <QImage>
#include <QString>

namespace vh::review {

// The full screenshot of the entry shown and its gamma painting: the decoded picture, the uncorrected source
// bitmap, the corrected bitmap and the one gamma corrector. screenshot() is what the view copies from.
class PicturePipeline final
{
public:
    static constexpr int NeutralSlider = 10;

    // Gamma for a position of the gamma slider (1 to 19): setting = (20 - value) x 10, 100 = 1.0.
    static double gammaForSlider(int sliderValue);

    // Decodes the PNG, takes a fresh source bitmap and paints it through the neutral table. The reason (and an
    // empty picture) when the file is missing or cannot be decoded.
    base::Problems load(const QString& path);
    // The same from a decoded picture.
    void setPicture(const QImage& picture);
    void clear();

    // The gamma slider moved: at 10 the source bitmap is taken anew; the table is rebuilt and the corrected
    // bitmap painted.
    void setGammaSlider(int sliderValue);
    int gammaSlider() const { return m_slider; }

    bool isEmpty() const { return m_painted.isNull(); }
    // The screenshot as painted through the current gamma table.
    const QImage& screenshot() const { return m_painted; }
    const cGammaCorrect& corrector() const { return m_gamma; }

private:
    void paint();

    QImage m_picture; // as decoded
    QImage m_painted; // the corrected bitmap, top-down
    cDIBSection m_source;
    cDIBSection m_corrected;
    cGammaCorrect m_gamma;
    int m_slider = NeutralSlider;
};

} // namespace vh::review
