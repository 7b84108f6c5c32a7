#pragma once

#include "platform/Checked.h"

#include <QImage>
#include <QString>

namespace vh::platform {

// Decodes PNG screenshots into 32-bit RGB pictures with the file's width, height and exact pixel colours:
// no gamma and no colour-profile conversion, since the text reading and the cheat checks compare exact values.
class PngDecoder final
{
public:
    // Files whose header claims more pixels than this are refused before any pixel memory is taken; an 8K
    // screen (7680 x 4320) still fits, and even a 16-bit file stays within Qt's own allocation limit.
    static constexpr qint64 MaxPixels = 32LL * 1024 * 1024;
    static constexpr int MaxSide = 16384;

    // The picture in Format_RGB32, or a null picture and the reason.
    static Checked<QImage> LoadPicture(const QString& path);
    static Checked<QImage> decode(const QByteArray& data);
};

} // namespace vh::platform
