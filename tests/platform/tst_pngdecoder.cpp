#include "platform/PngDecoder.h"
#include "util/PngBuilder.h"
#include "util/TestWorkspace.h"

#include <QElapsedTimer>
#include <QtTest>

#include <sys/resource.h>

using vh::platform::PngDecoder;
using vh::test::PngBuilder;
using Type = PngBuilder::ColourType;

namespace {

// A colour that differs in every channel from its neighbours, so a swapped channel or a shifted row shows.
QRgb colourAt(int x, int y)
{
    return qRgba((x * 37 + y * 11) & 0xFF, (x * 5 + y * 71 + 3) & 0xFF, (x * 97 + y * 29 + 200) & 0xFF,
                 (x * 13 + y * 7) & 0xFF);
}

QImage expectedImage(int w, int h, const std::function<QRgb(int, int)>& rgbAt)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, rgbAt(x, y) | 0xFF000000u);
    return image;
}

qint64 peakRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

QByteArray goodNoisePng(int w, int h)
{
    // noise does not compress, so cutting the file in half cuts the pixel data in half
    return PngBuilder(w, h, Type::Rgb, 8,
                      [](int x, int y) {
                          const quint32 v =
                              quint32(x * 2654435761u) ^ quint32(y * 40503u) ^ quint32(x * y * 2246822519u);
                          return QList<quint16>{quint16(v & 0xFF), quint16((v >> 8) & 0xFF), quint16((v >> 16) & 0xFF)};
                      })
        .build();
}

} // namespace

class TestPngDecoder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodesExactPixels_data();
    void decodesExactPixels();
    void badFilesFailCleanly_data();
    void badFilesFailCleanly();
    void loadPictureFromFile();
};

void TestPngDecoder::decodesExactPixels_data()
{
    QTest::addColumn<QByteArray>("png");
    QTest::addColumn<QImage>("expected");

    const auto rgb8 = [](int x, int y) {
        const QRgb c = colourAt(x, y);
        return QList<quint16>{quint16(qRed(c)), quint16(qGreen(c)), quint16(qBlue(c))};
    };
    QTest::newRow("24-bit RGB") << PngBuilder(7, 5, Type::Rgb, 8, rgb8).build() << expectedImage(7, 5, colourAt);

    // the colour of a pixel stays as stored whatever its alpha, even fully transparent
    QTest::newRow("RGBA")
        << PngBuilder(
               9, 4, Type::Rgba, 8,
               [](int x, int y) {
                   const QRgb c = colourAt(x, y);
                   return QList<quint16>{quint16(qRed(c)), quint16(qGreen(c)), quint16(qBlue(c)), quint16(qAlpha(c))};
               })
               .build()
        << expectedImage(9, 4, colourAt);

    const QList<QRgb> palette{qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(12, 200, 7), qRgb(1, 2, 3), qRgb(254, 253, 252)};
    PngBuilder indexed(6, 6, Type::Palette, 8, [](int x, int y) { return QList<quint16>{quint16((x + 2 * y) % 5)}; });
    indexed.setPalette(palette);
    QTest::newRow("palette") << indexed.build()
                             << expectedImage(6, 6, [&](int x, int y) { return palette[(x + 2 * y) % 5]; });

    const auto grey = [](int x, int y) { return (x * 41 + y * 17) & 0xFF; };
    QTest::newRow("greyscale with alpha")
        << PngBuilder(5, 3, Type::GreyAlpha, 8,
                      [&](int x, int y) {
                          return QList<quint16>{quint16(grey(x, y)), quint16(x * 60)};
                      })
               .build()
        << expectedImage(5, 3, [&](int x, int y) { return qRgb(grey(x, y), grey(x, y), grey(x, y)); });

    // 16-bit samples v * 257 are the 8-bit value v exactly
    QTest::newRow("16-bit RGBA") << PngBuilder(4, 4, Type::Rgba, 16,
                                               [](int x, int y) {
                                                   const QRgb c = colourAt(x, y);
                                                   return QList<quint16>{
                                                       quint16(qRed(c) * 257), quint16(qGreen(c) * 257),
                                                       quint16(qBlue(c) * 257), quint16(qAlpha(c) * 257)};
                                               })
                                        .build()
                                 << expectedImage(4, 4, colourAt);

    // 11 x 10 pixels, so every one of the seven passes holds pixels
    PngBuilder interlacedIndexed(11, 10, Type::Palette, 8,
                                 [](int x, int y) { return QList<quint16>{quint16((x + 2 * y) % 5)}; });
    interlacedIndexed.setInterlaced(true);
    interlacedIndexed.setPalette(palette);
    QTest::newRow("interlaced palette") << interlacedIndexed.build() << expectedImage(11, 10, [&](int x, int y) {
        return palette[(x + 2 * y) % 5];
    });

    // a stated file gamma of 1/2.2 is not applied: the text reader compares raw values
    PngBuilder withGamma(7, 5, Type::Rgb, 8, rgb8);
    withGamma.addChunk(PngBuilder::chunk("gAMA", QByteArray("\x00\x00\xb1\x8f", 4)));
    QTest::newRow("file gamma ignored") << withGamma.build() << expectedImage(7, 5, colourAt);
}

void TestPngDecoder::decodesExactPixels()
{
    QFETCH(QByteArray, png);
    QFETCH(QImage, expected);
    const vh::platform::Checked<QImage> result = PngDecoder::decode(png);
    QVERIFY2(result.ok(), qPrintable(result.problems.join(QStringLiteral("; "))));
    QCOMPARE(result.value.format(), QImage::Format_RGB32);
    QCOMPARE(result.value.size(), expected.size());
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            QVERIFY2(result.value.pixel(x, y) == expected.pixel(x, y),
                     qPrintable(QStringLiteral("pixel %1,%2: %3 instead of %4")
                                    .arg(x)
                                    .arg(y)
                                    .arg(result.value.pixel(x, y), 8, 16)
                                    .arg(expected.pixel(x, y), 8, 16)));
}

void TestPngDecoder::badFilesFailCleanly_data()
{
    QTest::addColumn<QByteArray>("file");

    const QByteArray good = goodNoisePng(300, 200);
    QVERIFY(PngDecoder::decode(good).ok());
    const qsizetype dataStart = good.indexOf("IDAT") + 4;

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not a PNG") << QByteArray("<html><body>404 Not Found</body></html>");
    QTest::newRow("truncated after header") << good.left(dataStart);
    QTest::newRow("truncated in the middle of the pixels") << good.left(good.size() / 2);

    QByteArray flipped = good;
    for (qsizetype i = dataStart + 1000; i < dataStart + 1100; ++i)
        flipped[i] = char(~flipped[i]);
    QTest::newRow("damaged pixel data") << flipped;

    QByteArray garbageData;
    for (int i = 0; i < 4000; ++i)
        garbageData.append(char(i * 7 + 3));
    QTest::newRow("garbage with a valid checksum")
        << PngBuilder::signature() + PngBuilder::ihdr(300, 200, 8, Type::Rgb, false) +
               PngBuilder::chunk("IDAT", garbageData) + PngBuilder::chunk("IEND", {});

    // a valid stream that simply ends after ten of the two hundred rows
    QByteArray tenRows(10 * (1 + 300 * 3), '\0');
    QTest::newRow("too few rows") << PngBuilder::signature() + PngBuilder::ihdr(300, 200, 8, Type::Rgb, false) +
                                         PngBuilder::chunk("IDAT", qCompress(tenRows).mid(4)) +
                                         PngBuilder::chunk("IEND", {});

    const QByteArray tinyData =
        PngBuilder::chunk("IDAT", qCompress(QByteArray(4, '\0')).mid(4)) + PngBuilder::chunk("IEND", {});
    QTest::newRow("largest size the format allows")
        << PngBuilder::signature() + PngBuilder::ihdr(0x7FFFFFFF, 0x7FFFFFFF, 8, Type::Rgba, false) + tinyData;
    QTest::newRow("one enormous row") << PngBuilder::signature() + PngBuilder::ihdr(1000000, 1, 16, Type::Rgba, false) +
                                             tinyData;
    QTest::newRow("8K screen with no pixel data")
        << PngBuilder::signature() + PngBuilder::ihdr(7680, 4320, 8, Type::Rgb, false) + tinyData;
    QTest::newRow("zero width") << PngBuilder::signature() + PngBuilder::ihdr(0, 10, 8, Type::Rgb, false) + tinyData;
}

void TestPngDecoder::badFilesFailCleanly()
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

void TestPngDecoder::loadPictureFromFile()
{
    vh::test::TestWorkspace ws;
    const QString path = ws.write(QStringLiteral("PBSS/vault/a.png"), PngBuilder(3, 2, Type::Grey, 8, [](int x, int y) {
                                                                          return QList<quint16>{quint16(x * 100 + y)};
                                                                      }).build());
    const vh::platform::Checked<QImage> loaded = PngDecoder::LoadPicture(path);
    QVERIFY2(loaded.ok(), qPrintable(loaded.problems.join(QStringLiteral("; "))));
    QCOMPARE(loaded.value.pixel(2, 1), qRgb(201, 201, 201));

    const vh::platform::Checked<QImage> missing =
        PngDecoder::LoadPicture(ws.path(QStringLiteral("PBSS/vault/none.png")));
    QVERIFY(!missing.ok());
    QVERIFY(!missing.problems.value(0).isEmpty());
}

QTEST_GUILESS_MAIN(TestPngDecoder)
#include "tst_pngdecoder.moc"
