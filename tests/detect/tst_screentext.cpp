#include "ScreenshotMaker.h"
#include "detect/GlyphTable.h"
#include "detect/ScreenTextReader.h"
#include "review/cDIBSection.h"

#include <QRandomGenerator>
#include <QTest>

using vh::database::ScreenshotEntry;
using vh::detect::GlyphTable;
using vh::detect::ScreenTextReader;
using vh::review::cDIBSection;
using vh::shotmaker::ScreenshotMaker;

namespace {

// What the reader took from the text, one field after the other.
QByteArray fieldsOf(const ScreenshotEntry& e)
{
    return e.HeaderInfo + '|' + e.ShotFile + '|' + e.ServerAddress + '|' + e.ServerName + '|' + e.GUID + '|' +
           e.PlayerName + '|' + QByteArray::number(e.CaptureWidth) + 'x' + QByteArray::number(e.CaptureHeight);
}

QImage lineImage(int width, const QByteArray& text)
{
    QImage image(width, 80, QImage::Format_RGB32);
    image.fill(Qt::black);
    ScreenshotMaker::drawLine(image, 50, text);
    return image;
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
    QByteArray readLine(const QImage& image, int baseRow = 50) const
    {
        cDIBSection bitmap;
        bitmap.CreateFromPicture(image);
        const vh::base::Checked<QByteArray> line = ScreenTextReader(m_table).readLine(bitmap, baseRow);
        return line.ok() ? line.value : QByteArray("<error>");
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_table.LoadGlyphTable().isEmpty()); }

    void glyphLookupAgreesWithPlainComparison()
    {
        QCOMPARE(m_table.match(m_table.glyph(255)), GlyphTable::NoMatch); // code 255 is never tried
        // a glyph with one pixel flipped is the near miss the index must not confuse
        QRandomGenerator rng(7);
        for (int i = 0; i < 1000; ++i) {
            GlyphTable::Glyph cell = m_table.glyph(int(rng.bounded(256)));
            cell[std::size_t((1 + int(rng.bounded(11))) * 8 + 1 + int(rng.bounded(7)))] ^= 255;
            GlyphTable::CellKey key;
            QVERIFY(GlyphTable::keyOf(cell, key));
            QCOMPARE(m_table.lookup(key), m_table.match(cell));
        }
    }

    void everyCodeReadsBack()
    {
        QByteArray codes;
        for (int c = 0; c <= GlyphTable::LastReadableCode; ++c)
            if (c != ScreenTextReader::SkipCode)
                codes += char(c);
        for (qsizetype from = 0; from < codes.size(); from += 80) {
            const QByteArray text = codes.mid(from, 80);
            QCOMPARE(readLine(lineImage(660, text)), text.leftJustified(80));
        }
    }

    void onlyPureBlueValuesAreRead()
    {
        QImage image = lineImage(30, "A"); // room for exactly one cell
        // glyph row 7 of "A" is ink in column 7; red and green are not looked at
        image.setPixel(14 + 7, 80 - 1 - (50 + 12 - 7), qRgb(13, 77, 255));
        QCOMPARE(readLine(image), QByteArray("A"));
        image.setPixel(14 + 7, 80 - 1 - (50 + 12 - 7), qRgb(255, 255, 254));
        QCOMPARE(readLine(image), QByteArray("?"));
    }

    void skipGlyphPassesOverThreeCells()
    {
        QImage image = lineImage(660, "A\x1a"
                                      "BCDE");
        // turn the placeholder of code 26 in cell 1 into the one of code 27
        const GlyphTable::Glyph& skip = m_table.glyph(ScreenTextReader::SkipCode);
        for (int r = 0; r < 13; ++r)
            for (int c = 0; c < 8; ++c)
                image.setPixel(22 + c, 80 - 1 - (50 + 12 - r), skip[std::size_t(r * 8 + c)] ? qRgb(255, 255, 255) : 0);
        QCOMPARE(readLine(image).trimmed(), QByteArray("AE"));
    }

    // One line of the screen text replaced; a failure keeps what the lines before it gave.
    void textLines_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("fails");
        QTest::addColumn<QByteArray>("fields");
        const QByteArray player = "0123456789abcdef0123456789abcdef|Player|";
        const QByteArray rest = player + "640x480";
        QTest::newRow("every line as written")
            << 0 << QByteArray() << false << "Bridge Crossing|pb000123.png|1.2.3.4|My Server|" + rest;
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

    void pictureTooSmall()
    {
        // 27 pixels hold no cell, 28 one; an empty second line has no blank to split at
        QCOMPARE(readLine(ScreenshotMaker(27, 100).image()), QByteArray());
        QCOMPARE(readLine(ScreenshotMaker(28, 100).image()).size(), 1);
        ScreenshotEntry slot;
        slot.GUID = "old";
        QCOMPARE(read(ScreenshotMaker(660, 74).image(), slot), QStringLiteral("Subscript out of range"));
        QCOMPARE(fieldsOf(slot), QByteArray("||||||0x0"));
    }
};

QTEST_GUILESS_MAIN(TestScreenText)
#include "tst_screentext.moc"
