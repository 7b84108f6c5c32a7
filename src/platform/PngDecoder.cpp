#include "platform/PngDecoder.h"

#include <QBuffer>
#include <QColorSpace>
#include <QFile>
#include <QImageReader>

namespace vh::platform {

namespace {

Checked<QImage> fail(const QString& why)
{
    return Checked<QImage>::failed(why);
}

Checked<QImage> decodeFrom(QIODevice* device)
{
    QImageReader reader(device, QByteArrayLiteral("png"));
    reader.setAutoTransform(false);
    reader.setDecideFormatFromContent(false);
    if (!reader.canRead())
        return fail(QStringLiteral("not a PNG file"));
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return fail(QStringLiteral("the PNG header holds no valid size"));
    if (size.width() > PngDecoder::MaxSide || size.height() > PngDecoder::MaxSide ||
        qint64(size.width()) * size.height() > PngDecoder::MaxPixels)
        return fail(QStringLiteral("the PNG claims %1 x %2 pixels, more than a screenshot can have")
                        .arg(size.width())
                        .arg(size.height()));
    QImage image;
    // a truncated file still leaves the rows read so far in the image: only the result counts
    if (!reader.read(&image) || image.isNull())
        return fail(reader.errorString());
    if (image.size() != size)
        return fail(QStringLiteral("the PNG data is incomplete"));
    // colour values stay as stored: the profile is dropped, never applied
    image.setColorSpace(QColorSpace());
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    return Checked<QImage>::good(image);
}

} // namespace

Checked<QImage> PngDecoder::LoadPicture(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    return decodeFrom(&file);
}

Checked<QImage> PngDecoder::decode(const QByteArray& data)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    return decodeFrom(&buffer);
}

} // namespace vh::platform
