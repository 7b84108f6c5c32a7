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

namespace {

const QByteArray Guid = "0123456789abcdef0123456789abcdef";

// What the reader took from the text, one field after the other.
QByteArray fieldsOf(const ScreenshotEntry& e)
{
    return e.HeaderInfo + '|' + e.ShotFile + '|' + e.ServerAddress + '|' + e.ServerName + '|' + e.GUID + '|' +
           e.PlayerName + '|' + QByteArray::number(e.CaptureWidth) + 'x' + QByteArray::number(e.CaptureHeight);
}

} // namespace

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
        return line.ok() ? line.value : QByteArray("<error>");
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
        QImage image(30, 80, QImage::Format_RGB32); // room for exactly one cell
        image.fill(Qt::black);
        ScreenshotMaker::drawLine(image, 50, "A");
        // glyph row 7 of "A" is ink in columns 1 to 7; glyph row 3 holds only background in column 7
        const int glyphRow = onInk ? 7 : 3;
        image.setPixel(14 + 7, 80 - 1 - (50 + 12 - glyphRow), colour);
        QTEST(readLine(image, 50), "expected");
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

    // One line of the screen text replaced; a failure keeps what the lines before it gave.
    void textLines_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("fails");
        QTest::addColumn<QByteArray>("fields");
        const QByteArray player = Guid + "|Player|";
        const QByteArray rest = player + "640x480";
        QTest::newRow("every line as written")
            << 0 << QByteArray() << false << "Bridge Crossing|pb000123.png|1.2.3.4|My Server|" + rest;
        QTest::newRow("header after AAO and two characters")
            << 1 << QByteArray("  AAO: Mountain Pass SE ") << false
            << "Mountain Pass SE|pb000123.png|1.2.3.4|My Server|" + rest;
        QTest::newRow("header without AAO from the fifth")
            << 1 << QByteArray("1234Bridge SE") << false << "Bridge SE|pb000123.png|1.2.3.4|My Server|" + rest;
        QTest::newRow("second line shorter than 8")
            << 2 << QByteArray("  pb1.png") << false << "Bridge Crossing|pb1.png|||" + rest;
        QTest::newRow("port other than 1716 stays") << 2 << QByteArray("pb000123.png 1.2.3.4:1717") << false
                                                    << "Bridge Crossing|pb000123.png|1.2.3.4:1717|Unknown|" + rest;
        QTest::newRow("failed capture: no size line")
            << 4 << QByteArray("Captured Solid DDraw Texture") << false
            << "Bridge Crossing|pb000123.png|1.2.3.4|My Server|" + player + "0x0";
        QTest::newRow("one-digit width") << 5 << QByteArray("w=5 h=480 s") << false
                                         << "Bridge Crossing|pb000123.png|1.2.3.4|My Server|" + player + "5x480";
        // a failed read leaves the port on the address
        const QByteArray failedAfter2 = "Bridge Crossing|pb000123.png|1.2.3.4:1716|My Server|";
        QTest::newRow("second line without blank")
            << 2 << QByteArray(80, 'x') << true << QByteArray("Bridge Crossing||||||0x0");
        QTest::newRow("third line with one star")
            << 3 << QByteArray("GUID *abc Player") << true << failedAfter2 + "||0x0";
        QTest::newRow("size at the line's end")
            << 5 << QByteArray("w=640 h=480") << true << failedAfter2 + player + "640x0";
        QTest::newRow("width not a number")
            << 5 << QByteArray("w=6x0 h=480 s") << true << failedAfter2 + player + "0x0";
        QTest::newRow("width beyond 16 bits")
            << 5 << QByteArray("w=40000 h=480 s") << true << failedAfter2 + player + "0x0";
    }

    void textLines()
    {
        QFETCH(int, line);
        QFETCH(QByteArray, text);
        QFETCH(bool, fails);
        ScreenshotMaker maker;
        if (line > 0)
            maker.setLine(line, text);
        ScreenshotEntry slot;
        slot.AutoDetected = "earlier";
        slot.Cheating = true;
        QCOMPARE(read(maker.image(), slot).isEmpty(), !fails);
        QTEST(fieldsOf(slot), "fields");
        // results of an earlier screenshot in the slot are gone
        QVERIFY(slot.AutoDetected.isEmpty());
        QVERIFY(fails || !slot.Cheating);
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
        QCOMPARE(fieldsOf(slot), QByteArray("||||||0x0"));
    }
};

QTEST_GUILESS_MAIN(TestScreenText)
#include "tst_screentext.moc"
