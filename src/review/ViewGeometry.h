#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

namespace vh::review {

// The three ways the view shows a screenshot (setting DisplayMode).
enum class DisplayMode
{
    Whole = 1,     // "Show PBSS, not scaled"
    Part = 2,      // "Show image part of PBSS, not scaled"
    PartScaled = 3 // "Show image part of PBSS, SCALED for easier viewing"
};

// The setting's text as a mode; anything but "2" and "3" shows the whole screenshot.
DisplayMode displayModeFrom(const QString& setting);

// What the view copies: the source rectangle of the full screenshot, drawn at (0, 0) of the view in the
// target size (the source size unless the mode stretches).
struct RenderPlan
{
    QRect source;
    QSize target;
    bool operator==(const RenderPlan&) const = default;
};

// The game image inside a screenshot: capture size, 10 pixels below the top, centred horizontally. A capture
// without a usable size stands for the whole screenshot.
QRect imagePart(QSize screenshot, int captureWidth, int captureHeight);

// The copy for the mode, a screenshot of this size, the entry's capture size and the view's width.
RenderPlan planRender(DisplayMode mode, QSize screenshot, int captureWidth, int captureHeight, int viewWidth);

// Carries the plan out: the view's picture, cleared to black where the source lies outside the screenshot.
// The stretch uses no smoothing.
QImage renderView(const QImage& screenshot, const RenderPlan& plan);

} // namespace vh::review
