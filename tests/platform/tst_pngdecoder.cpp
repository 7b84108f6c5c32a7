#include "platform/PngDecoder.h"
#include "util/PngBuilder.h"

#include <QElapsedTimer>
#include <QtTest>

#include <sys/resource.h>

using vh::platform::PngDecoder;
using vh::test::PngBuilder;
using Type = PngBuilder::ColourType;

Q_DECLARE_METATYPE(Type)

namespace {

// A colour that differs in every channel from its neighbours, so a swapped channel or a shifted row shows.
QRgb colourAt(int x, int y)
{
    return qRgba((x * 37 + y * 11) & 0xFF, (x * 5 + y * 71 + 3) & 0xFF, (x * 97 + y * 29 + 200) & 0xFF,
                 (x * 13 + y * 7) & 0xFF);
}

QByteArray colourPng(int w, int h, Type type, const QByteArray& extraChunk = {})
{
    PngBuilder png(w, h, type, 8, [type](int x, int y) {
        const QRgb c = colourAt(x, y);
        QList<quint16> samples{quint16(qRed(c)), quint16(qGreen(c)), quint16(qBlue(c))};
        if (type == Type::Rgba)
            samples << quint16(qAlpha(c));
        return samples;
    });
    png.addChunk(extraChunk);
    return png.build();
}

QImage expectedImage(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, colourAt(x, y) | 0xFF000000u);
    return image;
}

// A file of one IDAT chunk holding the given scanlines, whatever size the header states.
QByteArray handMade(quint32 width, quint32 height, Type type, const QByteArray& scanlines)
{
    return PngBuilder::signature() + PngBuilder::ihdr(width, height, 8, type, false) +
           PngBuilder::chunk("IDAT", qCompress(scanlines).mid(4)) + PngBuilder::chunk("IEND", {});
}

qint64 peakRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

class TestPngDecoder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodesExactPixels_data()
    {
        QTest::addColumn<Type>("type");
        QTest::addColumn<QByteArray>("extraChunk");
        QTest::newRow("24-bit RGB") << Type::Rgb << QByteArray();
        // the colour of a pixel stays as stored whatever its alpha, even fully transparent
        QTest::newRow("RGBA") << Type::Rgba << QByteArray();
        // a stated file gamma of 1/2.2 is not applied: the text reader compares raw values
        QTest::newRow("file gamma ignored")
            << Type::Rgb << PngBuilder::chunk("gAMA", QByteArray("\x00\x00\xb1\x8f", 4));
    }

    void decodesExactPixels()
    {
        QFETCH(Type, type);
        QFETCH(QByteArray, extraChunk);
        const vh::platform::Checked<QImage> result = PngDecoder::decode(colourPng(9, 5, type, extraChunk));
        QVERIFY2(result.ok(), qPrintable(result.problems.join(QStringLiteral("; "))));
        QCOMPARE(result.value, expectedImage(9, 5));
    }

    void badFilesFailCleanly_data()
    {
        QTest::addColumn<QByteArray>("file");

        const QByteArray good = colourPng(300, 200, Type::Rgb);
        QVERIFY(PngDecoder::decode(good).ok());
        QTest::newRow("not a PNG") << QByteArray("<html><body>404 Not Found</body></html>");
        QTest::newRow("truncated in the middle of the pixels") << good.left(good.size() / 2);
        // a valid stream that simply ends after ten of the two hundred rows
        QTest::newRow("too few rows") << handMade(300, 200, Type::Rgb, QByteArray(10 * (1 + 300 * 3), '\0'));
        QTest::newRow("one enormous row") << handMade(1000000, 1, Type::Rgba, QByteArray(4, '\0'));
        QTest::newRow("8K screen with no pixel data") << handMade(7680, 4320, Type::Rgb, QByteArray(4, '\0'));
        QTest::newRow("zero width") << handMade(0, 10, Type::Rgb, QByteArray(4, '\0'));
    }

    void badFilesFailCleanly()
    {
        QFETCH(QByteArray, file);
        const qint64 rssBefore = peakRssKiB();
        QElapsedTimer timer;
        timer.start();
        const vh::platform::Checked<QImage> result = PngDecoder::decode(file);
        QVERIFY(timer.elapsed() < 2000);
        QVERIFY(!result.ok());
        QVERIFY(result.value.isNull());
        QVERIFY(!result.problems.value(0).isEmpty());
        // no picture memory is taken for sizes the file cannot back
        QVERIFY2(peakRssKiB() - rssBefore < 64 * 1024, qPrintable(QString::number(peakRssKiB() - rssBefore)));
    }
};

QTEST_GUILESS_MAIN(TestPngDecoder)
#include "tst_pngdecoder.moc"
