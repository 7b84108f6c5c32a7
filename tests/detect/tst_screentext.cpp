#include "ScreenshotMaker.h"
#include "detect/GlyphTable.h"
#include "detect/ScreenTextReader.h"
#include "review/cDIBSection.h"

#include <QTest>

using vh::database::ScreenshotEntry;
using vh::detect::GlyphTable;
using vh::detect::ScreenTextReader;
using vh::review::cDIBSection;
using vh::shotmaker::ScreenshotMaker;

class TestScreenText : public QObject
{
    Q_OBJECT

private:
    GlyphTable m_table;

    QString read(const QImage& image, ScreenshotEntry& slot) const
    {
        cDIBSection bitmap;
        bitmap.CreateFromPicture(image);
        return ScreenTextReader(m_table).ReadScreenText(bitmap, slot).join(QStringLiteral("; "));
    }
    QByteArray readLine(const QImage& image, int baseRow) const
    {
        cDIBSection bitmap;
        bitmap.CreateFromPicture(image);
        const vh::base::Checked<QByteArray> line = ScreenTextReader(m_table).readLine(bitmap, baseRow);
        if (!line.ok())
            return "<error>";
        return line.value;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_table.LoadGlyphTable().isEmpty()); }

    void onlyPureBlueValuesAreRead_data()
    {
        QTest::addColumn<QRgb>("colour");
        QTest::addColumn<bool>("onInk");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("background with blue 1") << qRgb(0, 0, 1) << false << QByteArray("?");
        QTest::newRow("ink with blue 254") << qRgb(255, 255, 254) << true << QByteArray("?");
        QTest::newRow("red and green on ink ignored") << qRgb(13, 77, 255) << true << QByteArray("A");
    }

    void onlyPureBlueValuesAreRead()
    {
        QFETCH(QRgb, colour);
        QFETCH(bool, onInk);
        QFETCH(QByteArray, expected);
        QImage image(30, 80, QImage::Format_RGB32); // room for exactly one cell
        image.fill(Qt::black);
        ScreenshotMaker::drawLine(image, 50, "A");
        // glyph row 7 of "A" is ink in columns 1 to 7; glyph row 3 holds only background in column 7
        const int glyphRow = onInk ? 7 : 3;
        image.setPixel(14 + 7, 80 - 1 - (50 + 12 - glyphRow), colour);
        QCOMPARE(readLine(image, 50), expected);
    }

    void allBlackCellsAreBlanks()
    {
        QImage image(660, 100, QImage::Format_RGB32);
        image.fill(Qt::black);
        for (int base : ScreenTextReader::LineBaseRows)
            QCOMPARE(readLine(image, base), QByteArray(80, ' '));
    }

    void skipGlyphPassesOverThreeCells()
    {
        QImage image(660, 80, QImage::Format_RGB32);
        image.fill(Qt::black);
        ScreenshotMaker::drawLine(image, 50,
                                  "A\x1a"
                                  "BCDE");
        // turn the placeholder of code 26 in cell 1 into the one of code 27
        const GlyphTable::Glyph& skip = m_table.glyph(ScreenTextReader::SkipCode);
        for (int r = 0; r < 13; ++r)
            for (int c = 0; c < 8; ++c)
                image.setPixel(22 + c, 80 - 1 - (50 + 12 - r), skip[std::size_t(r * 8 + c)] ? qRgb(255, 255, 255) : 0);
        QCOMPARE(readLine(image, 50).trimmed(), QByteArray("AE"));
    }

    void secondLine_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("shotFile");
        QTest::addColumn<QByteArray>("address");
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("file, address and name")
            << QByteArray("pb000123.png 1.2.3.4:1716 My Server") << QByteArray("pb000123.png") << QByteArray("1.2.3.4")
            << QByteArray("My Server");
        QTest::newRow("shorter than 8") << QByteArray("  pb1.png") << QByteArray("pb1.png") << QByteArray()
                                        << QByteArray();
        QTest::newRow("port other than 1716 stays")
            << QByteArray("pb000123.png 1.2.3.4:1717") << QByteArray("pb000123.png") << QByteArray("1.2.3.4:1717")
            << QByteArray("Unknown");
    }

    void secondLine()
    {
        QFETCH(QByteArray, line);
        ScreenshotEntry slot;
        slot.AutoDetected = "earlier";
        slot.Cheating = true;
        QCOMPARE(read(ScreenshotMaker().setLine(2, line).image(), slot), QString());
        QTEST(slot.ShotFile, "shotFile");
        QTEST(slot.ServerAddress, "address");
        QTEST(slot.ServerName, "name");
        QCOMPARE(slot.HeaderInfo, QByteArray("Bridge Crossing"));
        QCOMPARE(slot.GUID, QByteArray("0123456789abcdef0123456789abcdef"));
        QCOMPARE(slot.PlayerName, QByteArray("Player"));
        QCOMPARE(slot.CaptureWidth, qint16(640));
        QCOMPARE(slot.CaptureHeight, qint16(480));
        QVERIFY(slot.AutoDetected.isEmpty());
        QVERIFY(!slot.Cheating);
    }

    void captureFailureLineLeavesTheFifthUnread()
    {
        ScreenshotEntry slot;
        slot.CaptureWidth = 640;
        slot.CaptureHeight = 480;
        vh::shotmaker::ShotInfo info;
        info.captureFailed = true;
        const QImage image = ScreenshotMaker().setText(info).setLine(5, "unreadable").image();
        QCOMPARE(read(image, slot), QString());
        QCOMPARE(slot.CaptureWidth, qint16(0));
        QCOMPARE(slot.CaptureHeight, qint16(0));
    }

    void failuresKeepWhatWasReadBefore_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("guid");
        QTest::addColumn<qint16>("width");
        const QByteArray guid = "0123456789abcdef0123456789abcdef";
        QTest::newRow("second line without blank") << 2 << QByteArray(80, 'x') << QByteArray() << qint16(0);
        QTest::newRow("third line with one star") << 3 << QByteArray("GUID *abc Player") << QByteArray() << qint16(0);
        QTest::newRow("size at the line's end") << 5 << QByteArray("w=640 h=480") << guid << qint16(640);
        QTest::newRow("width not a number") << 5 << QByteArray("w=6x0 h=480 s") << guid << qint16(0);
        QTest::newRow("width beyond 16 bits") << 5 << QByteArray("w=40000 h=480 s") << guid << qint16(0);
    }

    void failuresKeepWhatWasReadBefore()
    {
        QFETCH(int, line);
        QFETCH(QByteArray, text);
        ScreenshotEntry slot;
        QVERIFY(!read(ScreenshotMaker().setLine(line, text).image(), slot).isEmpty());
        QCOMPARE(slot.HeaderInfo, QByteArray("Bridge Crossing"));
        QTEST(slot.GUID, "guid");
        QTEST(slot.CaptureWidth, "width");
        QCOMPARE(slot.CaptureHeight, qint16(0));
    }

    void headerFollowsAao_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("header");
        QTest::newRow("after AAO and two characters")
            << QByteArray("  AAO: Mountain Pass SE ") << QByteArray("Mountain Pass SE");
        QTest::newRow("without AAO from the fifth") << QByteArray("1234Bridge SE") << QByteArray("Bridge SE");
    }

    void headerFollowsAao()
    {
        QFETCH(QByteArray, line);
        ScreenshotEntry slot;
        QCOMPARE(read(ScreenshotMaker().setLine(1, line).image(), slot), QString());
        QTEST(slot.HeaderInfo, "header");
    }

    void narrowImageHasNoCells()
    {
        for (int width : {27, 28}) {
            const QImage image = ScreenshotMaker(width, 100).image();
            for (int base : ScreenTextReader::LineBaseRows)
                QCOMPARE(readLine(image, base).size(), width == 27 ? 0 : 1);
            ScreenshotEntry slot;
            // an empty second line has no blank to split at
            QVERIFY(!read(image, slot).isEmpty());
        }
    }

    void imageLowerThanTheTextIsAFailure()
    {
        ScreenshotEntry slot;
        slot.GUID = "old";
        QCOMPARE(read(ScreenshotMaker(660, 74).image(), slot), QStringLiteral("Subscript out of range"));
        QVERIFY(slot.GUID.isEmpty());
        QVERIFY(slot.HeaderInfo.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestScreenText)
#include "tst_screentext.moc"
