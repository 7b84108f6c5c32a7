#include "review/cDIBSection.h"
#include "review/cGammaCorrect.h"

#include <QImage>
#include <QtTest>

using vh::review::cDIBSection;
using vh::review::cGammaCorrect;

class TestBitmap : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void createFromPictureIsBottomUpBgr()
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
        // longer rows are copied four pixels at a time, the rest one by one
        QImage wide(7, 2, QImage::Format_RGB32);
        for (int i = 0; i < 14; ++i)
            wide.setPixel(i % 7, i / 7, qRgb(i * 17, 255 - i, i * 5 + 1));
        dib.CreateFromPicture(wide);
        QCOMPARE(dib.toImage(), wide);
    }

    void unusableSizesLeaveItEmpty()
    {
        // zero width, negative height, larger than memory allows
        for (const QSize size : {QSize(0, 10), QSize(10, -1), QSize(100000, 100000)}) {
            cDIBSection dib;
            QVERIFY(dib.Create(4, 4));
            QVERIFY(!dib.Create(size.width(), size.height()));
            QVERIFY(dib.isEmpty());
            QVERIFY(dib.DIBSectionBitsPtr() == nullptr);
        }
        cDIBSection dib;
        dib.CreateFromPicture(QImage());
        QVERIFY(dib.isEmpty());
    }

    void correctAppliesTablesPerChannel()
    {
        // width 3: 9 pixel bytes and 3 padding bytes per row
        QImage picture(3, 1, QImage::Format_RGB32);
        for (int x = 0; x < 3; ++x)
            picture.setPixel(x, 0, qRgb(1 + x, 64, 128 + x));
        cDIBSection src;
        src.CreateFromPicture(picture);
        cDIBSection dst;
        QVERIFY(dst.Create(3, 1));
        cGammaCorrect g;
        g.gamma(4.6);
        g.Correct(src, dst);
        const auto& t = g.redTable();
        for (int x = 0; x < 3; ++x)
            QCOMPARE(dst.toImage().pixel(x, 0), qRgb(t[std::size_t(1 + x)], t[64], t[std::size_t(128 + x)]));
        // the padding is one more whole step of three bytes, so it passes the table as well (0 maps to 0)
        QCOMPARE(int(dst.view()(9, 0)), 0);
        // a smaller destination is left alone, nothing is written past it
        cDIBSection small;
        QVERIFY(small.Create(2, 1));
        g.Correct(src, small);
        QCOMPARE(small.toImage().pixel(1, 0), qRgb(0, 0, 0));
    }
};

QTEST_GUILESS_MAIN(TestBitmap)
#include "tst_bitmap.moc"
