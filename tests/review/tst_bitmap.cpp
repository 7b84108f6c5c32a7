#include "review/PicturePipeline.h"
#include "review/cDIBSection.h"
#include "review/cGammaCorrect.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

using vh::review::cDIBSection;
using vh::review::cGammaCorrect;

class TestBitmap : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void createFromPictureIsBottomUpBgr();
    void unusableSizesLeaveItEmpty_data();
    void unusableSizesLeaveItEmpty();
    void gammaTable_data();
    void gammaTable();
    void gammaLimitsHoldForEveryGamma();
    void correctAppliesTablesPerChannel();
    void correctRefusesSmallerDestination();
    void paintPictureWholeBitmap();
};

void TestBitmap::createFromPictureIsBottomUpBgr()
{
    // 2 x 3 picture: top row red/green, middle blue/white, bottom (10,20,30)/(40,50,60)
    const QRgb colours[] = {qRgb(255, 0, 0),     qRgb(0, 255, 0),  qRgb(0, 0, 255),
                            qRgb(255, 255, 255), qRgb(10, 20, 30), qRgb(40, 50, 60)};
    QImage picture(2, 3, QImage::Format_RGB32);
    for (int i = 0; i < 6; ++i)
        picture.setPixel(i % 2, i / 2, colours[i]);

    cDIBSection dib;
    dib.CreateFromPicture(picture);
    const QByteArray memory(reinterpret_cast<const char*>(dib.DIBSectionBitsPtr()), dib.BytesPerScanLine() * 3);
    const QByteArray expected("\x1e\x14\x0a\x3c\x32\x28\x00\x00"  // memory row 0 = the bottom row, BGR
                              "\xff\x00\x00\xff\xff\xff\x00\x00"  // middle row
                              "\x00\x00\xff\x00\xff\x00\x00\x00", // top row
                              24);
    QCOMPARE(memory, expected);
    QCOMPARE(dib.info().imageSize, quint32(expected.size()));
    // the two-index view addresses column offset first, memory row second
    QCOMPARE(int(dib.view()(5, 2)), 0);
    QCOMPARE(int(dib.view()(4, 2)), 255);
    QCOMPARE(dib.toImage(), picture);
    // longer rows are copied four pixels at a time, the rest one by one
    QImage wide(7, 2, QImage::Format_RGB32);
    for (int i = 0; i < 14; ++i)
        wide.setPixel(i % 7, i / 7, qRgb(i * 17, 255 - i, i * 5 + 1));
    dib.CreateFromPicture(wide);
    QCOMPARE(dib.toImage(), wide);
}

void TestBitmap::unusableSizesLeaveItEmpty_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("zero width") << 0 << 10;
    QTest::newRow("negative height") << 10 << -1;
    QTest::newRow("larger than memory allows") << 100000 << 100000;
}

void TestBitmap::unusableSizesLeaveItEmpty()
{
    QFETCH(int, width);
    QFETCH(int, height);
    cDIBSection dib;
    QVERIFY(dib.Create(4, 4));
    QVERIFY(!dib.Create(width, height));
    QVERIFY(dib.isEmpty());
    QVERIFY(dib.DIBSectionBitsPtr() == nullptr);
    QCOMPARE(dib.Width(), 0);
    dib.CreateFromPicture(QImage());
    QVERIFY(dib.isEmpty());
}

void TestBitmap::gammaTable_data()
{
    QTest::addColumn<double>("gamma");
    QTest::addColumn<int>("input");
    QTest::addColumn<int>("output");
    QTest::newRow("1 raises an odd value") << 1.0 << 3 << 4;
    QTest::newRow("1 keeps an even value") << 1.0 << 128 << 128;
    QTest::newRow("1/4.6 at 128") << 1.0 / 4.6 << 128 << 11;
    QTest::newRow("4.6 at 1") << 4.6 << 1 << 77;
    QTest::newRow("4.6 at 128") << 4.6 << 128 << 220;
}

void TestBitmap::gammaTable()
{
    QFETCH(double, gamma);
    QFETCH(int, input);
    QFETCH(int, output);
    cGammaCorrect g;
    g.gamma(gamma);
    QCOMPARE(int(g.redTable()[std::size_t(input)]), output);
}

void TestBitmap::gammaLimitsHoldForEveryGamma()
{
    // every gamma the slider can give
    for (int setting = 1; setting <= 19; ++setting) {
        cGammaCorrect g;
        g.gamma(vh::review::PicturePipeline::gammaForSlider(setting));
        const auto& t = g.redTable();
        QCOMPARE(int(t[0]), 0);
        QCOMPARE(int(t[255]), 255);
        for (int i = 1; i < 256; ++i) {
            QVERIFY2(t[std::size_t(i)] >= 1, qPrintable(QStringLiteral("setting %1 input %2").arg(setting).arg(i)));
            QVERIFY(t[std::size_t(i)] >= t[std::size_t(i - 1)]);
        }
    }
}

void TestBitmap::correctAppliesTablesPerChannel()
{
    // width 3: 9 pixel bytes and 3 padding bytes per row
    QImage picture(3, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            picture.setPixel(x, y, qRgb(1 + x, 64 + y, 128 + x + y));
    cDIBSection src;
    src.CreateFromPicture(picture);
    cDIBSection dst;
    QVERIFY(dst.Create(3, 2));

    cGammaCorrect g;
    g.gamma(4.6);
    const QByteArray before(reinterpret_cast<const char*>(src.DIBSectionBitsPtr()), 24);
    g.Correct(src, dst);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(src.DIBSectionBitsPtr()), 24), before);

    const auto& t = g.redTable();
    const QImage corrected = dst.toImage();
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            QCOMPARE(corrected.pixel(x, y),
                     qRgb(t[std::size_t(1 + x)], t[std::size_t(64 + y)], t[std::size_t(128 + x + y)]));
    // the padding is one more whole step of three bytes, so it passes the table as well (0 maps to 0)
    QCOMPARE(int(dst.view()(9, 0)), 0);
}

void TestBitmap::correctRefusesSmallerDestination()
{
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(qRgb(3, 3, 3));
    cDIBSection src;
    src.CreateFromPicture(picture);
    cDIBSection dst;
    QVERIFY(dst.Create(2, 2));
    cGammaCorrect g;
    g.gamma(1.0);
    g.Correct(src, dst); // must not write past the smaller bitmap
    QCOMPARE(dst.toImage().pixel(1, 1), qRgb(0, 0, 0));
}

void TestBitmap::paintPictureWholeBitmap()
{
    QImage picture(4, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            picture.setPixel(x, y, qRgb(x * 60, y * 80, 7));
    cDIBSection dib;
    dib.CreateFromPicture(picture);
    QImage target(6, 5, QImage::Format_RGB32);
    target.fill(qRgb(9, 9, 9));
    {
        QPainter painter(&target);
        dib.PaintPicture(painter, 0, 0, -1, -1, 0, 0);
    }
    QCOMPARE(target.copy(0, 0, 4, 3), picture);
    QCOMPARE(target.pixel(4, 0), qRgb(9, 9, 9));
    QCOMPARE(target.pixel(0, 3), qRgb(9, 9, 9));
}

QTEST_GUILESS_MAIN(TestBitmap)
#include "tst_bitmap.moc"
