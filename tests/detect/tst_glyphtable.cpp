#include "ScreenshotMaker.h"
#include "detect/GlyphTable.h"
#include "detect/ScreenTextReader.h"
#include "review/cDIBSection.h"

#include <QRandomGenerator>
#include <QTest>

using vh::detect::GlyphTable;

class TestGlyphTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_table.LoadGlyphTable().isEmpty()); }

    void lookupAgreesWithPlainComparison()
    {
        for (int code = 0; code < GlyphTable::GlyphCount; ++code) {
            GlyphTable::CellKey key;
            QVERIFY(GlyphTable::keyOf(m_table.glyph(code), key));
            QCOMPARE(m_table.lookup(key), m_table.match(m_table.glyph(code)));
        }
        QCOMPARE(m_table.match(m_table.glyph(255)), GlyphTable::NoMatch); // code 255 is never tried
        // a glyph with one pixel flipped is the near miss the index must not confuse; both ways must agree
        QRandomGenerator rng(7);
        for (int i = 0; i < 1000; ++i) {
            GlyphTable::Glyph cell = m_table.glyph(int(rng.bounded(256)));
            cell[std::size_t((1 + int(rng.bounded(11))) * 8 + 1 + int(rng.bounded(7)))] ^= 255;
            GlyphTable::CellKey key;
            QVERIFY(GlyphTable::keyOf(cell, key));
            QCOMPARE(m_table.lookup(key), m_table.match(cell));
        }
    }

    void duplicateGlyphsLeaveTheLowerCode()
    {
        QList<QByteArray> strings = GlyphTable::glyphStrings();
        strings[20] = strings[65]; // a second "A" below the real one
        GlyphTable t;
        QVERIFY(t.LoadGlyphTable(strings).isEmpty());
        GlyphTable::CellKey key;
        QVERIFY(GlyphTable::keyOf(t.glyph(65), key));
        QCOMPARE(t.lookup(key), 20);
    }

    void badGlyphStringIsReportedAndNeverMatches()
    {
        QList<QByteArray> strings = GlyphTable::glyphStrings();
        strings[5] = QByteArray(104, '2');
        strings.removeLast();
        GlyphTable t;
        QCOMPARE(t.LoadGlyphTable(strings).filter(QStringLiteral("Problems in Loading OCR, error:")).size(), 2);
        // an unloaded glyph is all background, but the blank still reads as the blank
        QCOMPARE(t.match(GlyphTable::Glyph{}), 32);
        QCOMPARE(t.lookup(GlyphTable::CellKey{}), 32);
    }

    void drawnTextReadsBack_data()
    {
        QTest::addColumn<QByteArray>("text");
        QByteArray printable;
        for (int c = 33; c <= 126; ++c)
            printable += char(c);
        QTest::newRow("printable, first half") << printable.left(47);
        QTest::newRow("printable, second half") << printable.mid(47);
        QByteArray placeholders;
        for (int c = 0; c <= 254; ++c)
            if ((c < 32 || c > 126) && c != 27)
                placeholders += char(c);
        QTest::newRow("placeholders 1") << placeholders.left(70);
        QTest::newRow("placeholders 2") << placeholders.mid(70, 70);
        QTest::newRow("placeholders 3") << placeholders.mid(140);
        QTest::newRow("words") << QByteArray("pb000123.png 1.2.3.4:1716 My Server");
    }

    void drawnTextReadsBack()
    {
        QFETCH(QByteArray, text);
        QImage image(660, 80, QImage::Format_RGB32);
        image.fill(Qt::black);
        vh::shotmaker::ScreenshotMaker::drawLine(image, 50, text);
        vh::review::cDIBSection bitmap;
        bitmap.CreateFromPicture(image);
        const vh::base::Checked<QByteArray> line = vh::detect::ScreenTextReader(m_table).readLine(bitmap, 50);
        QVERIFY(line.ok());
        QCOMPARE(line.value, text + QByteArray(80 - text.size(), ' '));
    }

private:
    GlyphTable m_table;
};

QTEST_GUILESS_MAIN(TestGlyphTable)
#include "tst_glyphtable.moc"
