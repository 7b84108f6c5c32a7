#include "review/ViewGeometry.h"

#include <cmath>

namespace vh::review {

DisplayMode displayModeFrom(const QString& setting)
{
    const QString mode = setting.trimmed();
    if (mode == QLatin1String("2"))
        return DisplayMode::Part;
    if (mode == QLatin1String("3"))
        return DisplayMode::PartScaled;
    return DisplayMode::Whole;
}

QRect imagePart(QSize screenshot, int captureWidth, int captureHeight)
{
    if (captureWidth <= 0 || captureHeight <= 0)
        return QRect(QPoint(0, 0), screenshot);
    // halves round to the even neighbour
    const int left = int(std::lrint((screenshot.width() - captureWidth) / 2.0));
    return QRect(left, 10, captureWidth, captureHeight);
}

RenderPlan planRender(DisplayMode mode, QSize screenshot, int captureWidth, int captureHeight, int viewWidth)
{
    if (mode == DisplayMode::Whole)
        return {QRect(QPoint(0, 0), screenshot), screenshot};
    const QRect part = imagePart(screenshot, captureWidth, captureHeight);
    if (mode == DisplayMode::Part || viewWidth <= 0 || part.isEmpty())
        return {part, part.size()};
    const double aspect = double(part.width()) / double(part.height());
    const int height = int(std::lrint(viewWidth / aspect));
    return {part, QSize(viewWidth, std::max(height, 1))};
}

QImage renderView(const QImage& screenshot, const RenderPlan& plan)
{
    if (screenshot.isNull() || plan.target.isEmpty() || plan.source.isEmpty())
        return QImage();
    // copy() fills what lies outside the screenshot with zero: a capture size larger than the picture
    QImage part = screenshot.copy(plan.source);
    if (part.format() != QImage::Format_RGB32)
        part = part.convertToFormat(QImage::Format_RGB32);
    if (plan.target == plan.source.size())
        return part;
    return part.scaled(plan.target, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

} // namespace vh::review
