#include "ScreenshotMaker.h"
#include "base/ActivityLog.h"
#include "base/Settings.h"
#include "detect/CheatChecks.h"
#include "detect/SuspiciousColors.h"
#include "review/cDIBSection.h"

#include <QTest>

using vh::base::Setting;
using vh::database::ScreenshotEntry;
using vh::shotmaker::ScreenshotMaker;

class TestCheatChecks : public QObject
{
    Q_OBJECT

private:
    vh::base::Settings m_settings;
    vh::base::ActivityLog m_log{m_settings};
    vh::detect::SuspiciousColors m_colours;
    vh::detect::CheatChecks m_checks{m_colours, m_settings, m_log};

    QString check(const ScreenshotMaker& maker, ScreenshotEntry& slot)
    {
        vh::review::cDIBSection bitmap;
        bitmap.CreateFromPicture(maker.image());
        slot.CaptureWidth = qint16(maker.captureRect().width());
        slot.CaptureHeight = qint16(maker.captureRect().height());
        return m_checks.CheckPixels(bitmap, slot).join(QStringLiteral("; "));
    }
    QString lastLog() const { return m_log.lines().empty() ? QString() : m_log.lines().back().text; }

private Q_SLOTS:
    void initTestCase() { m_colours.LoadSuspiciousColors(); }
    void init()
    {
        m_settings.setValue(Setting::ScanNoFog, QStringLiteral("1"));
        m_settings.setValue(Setting::ScanNameChanger, QStringLiteral("1"));
    }

    void colourCodes_data()
    {
        QTest::addColumn<QRgb>("colour");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("margin");
        QTest::addColumn<QByteArray>("expected");
        const QRgb red = qRgb(255, 0, 0);
        QTest::newRow("nine reds between black") << red << 9 << 30 << QByteArray("NTD Red");
        QTest::newRow("eight reds between black") << red << 8 << 30 << QByteArray();
        QTest::newRow("31 reds closed at the 32nd pixel") << red << 31 << 30 << QByteArray("NTD Red");
        QTest::newRow("32 reds, closed too late") << red << 32 << 30 << QByteArray();
        QTest::newRow("color5 eleven pixels") << qRgb(1, 254, 0) << 11 << 30 << QByteArray("Suspicious color5");
        QTest::newRow("color5 ten pixels") << qRgb(1, 254, 0) << 10 << 30 << QByteArray();
        QTest::newRow("color1 one pixel") << qRgb(239, 0, 0) << 1 << 30 << QByteArray("Suspicious color1");
        QTest::newRow("color1 inside the margin") << qRgb(239, 0, 0) << 1 << 19 << QByteArray();
    }

    void colourCodes()
    {
        QFETCH(QRgb, colour);
        QFETCH(int, length);
        QFETCH(int, margin);
        ScreenshotMaker maker;
        if (colour == qRgb(255, 0, 0))
            maker.plantNtdRed(maker.insideCapture(margin), length);
        else
            maker.plantRun(maker.insideCapture(margin), colour, length);
        ScreenshotEntry slot;
        QCOMPARE(check(maker, slot), QString());
        QTEST(slot.AutoDetected, "expected");
        QCOMPARE(slot.Cheating, !slot.AutoDetected.isEmpty());
    }

    void noFog_data()
    {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("scanNoFog");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("Bridge Crossing") << QByteArray("Bridge Crossing") << 6 << true
                                         << QByteArray("NoFog Bridge Crossing");
        QTest::newRow("extra word after the map") << QByteArray("Bridge Crossing 2") << 6 << true << QByteArray();
        QTest::newRow("other case") << QByteArray("bridge se") << 6 << true << QByteArray();
        QTest::newRow("five fog pixels") << QByteArray("Bridge SE") << 5 << true << QByteArray();
        QTest::newRow("NoFog scan off") << QByteArray("Mountain Pass") << 6 << false << QByteArray();
    }

    void noFog()
    {
        QFETCH(QByteArray, header);
        QFETCH(int, length);
        QFETCH(bool, scanNoFog);
        m_settings.setValue(Setting::ScanNoFog, scanNoFog ? QStringLiteral("1") : QStringLiteral("0"));
        ScreenshotMaker maker;
        maker.plantFog(maker.insideCapture(3), length); // on a row the scan visits: every third from the top
        ScreenshotEntry slot;
        slot.HeaderInfo = header;
        QCOMPARE(check(maker, slot), QString());
        QTEST(slot.AutoDetected, "expected");
    }

    void runPastTheRightEdgeIsAFailureThatKeepsResults()
    {
        ScreenshotMaker maker(400, 300);
        maker.setCaptureSize(400, 205);
        // a colour hit first would end the scan; the black-and-red run at the edge must be met before it
        maker.plantRun(QPoint(400 - 22, 9 + 20), qRgb(0, 0, 0), 1)
            .plantRun(QPoint(400 - 21, 9 + 20), qRgb(255, 0, 0), 21);
        ScreenshotEntry slot;
        slot.AutoDetected = "kept";
        QCOMPARE(check(maker, slot), QStringLiteral("Subscript out of range"));
        QCOMPARE(slot.AutoDetected, QByteArray("kept"));
    }

    void nameChanger_data()
    {
        QTest::addColumn<QByteArray>("indexText");
        QTest::addColumn<QByteArray>("playerName");
        QTest::addColumn<QByteArray>("serverName");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<QString>("logged");
        QTest::addColumn<bool>("scanOn");
        const QByteArray line = "000123 \"Player\" GUID=0123456789abcdef0123456789abcdef (OK) 2026.12.06 10:00:00";
        QTest::newRow("same name in other case")
            << line << QByteArray("PLAYER") << QByteArray("S") << QByteArray() << QByteArray() << QString() << true;
        QTest::newRow("changed name") << line << QByteArray("Other") << QByteArray("S") << QByteArray()
                                      << QByteArray("NameChanger") << QString() << true;
        QTest::newRow("after an earlier result") << line << QByteArray("Other") << QByteArray("S") << QByteArray("X")
                                                 << QByteArray("X, NameChanger") << QString() << true;
        QTest::newRow("other GUID listed")
            << QByteArray("000123 \"Player\" GUID=ffffffffffffffffffffffffffffffff") << QByteArray("Other")
            << QByteArray("S") << QByteArray() << QByteArray() << QString() << true;
        QTest::newRow("exempt server") << line << QByteArray("Other") << QByteArray("Another ArmyOps Server")
                                       << QByteArray() << QByteArray() << QString() << true;
        QTest::newRow("almost") << line << QByteArray() << QByteArray("Unknown") << QByteArray() << QByteArray()
                                << QStringLiteral("Almost Namechanger") << true;
        QTest::newRow("no quoted name")
            << QByteArray("000123 Player GUID=0123456789abcdef0123456789abcdef") << QByteArray("Other")
            << QByteArray("S") << QByteArray() << QByteArray()
            << QStringLiteral(
                   "Problems in checking for NameChanger, error:Invalid procedure call or argument DB-entry: 4")
            << true;
        QTest::newRow("no GUID listed") << QByteArray("000123 \"Player\" (OK)") << QByteArray("Other")
                                        << QByteArray("S") << QByteArray() << QByteArray() << QString() << true;
        QTest::newRow("scan switched off")
            << line << QByteArray("Other") << QByteArray("S") << QByteArray() << QByteArray() << QString() << false;
    }

    void nameChanger()
    {
        QFETCH(QByteArray, indexText);
        QFETCH(QString, logged);
        QFETCH(bool, scanOn);
        m_settings.setValue(Setting::ScanNameChanger, scanOn ? QStringLiteral("1") : QStringLiteral("0"));
        ScreenshotEntry slot;
        slot.IndexText = indexText;
        slot.GUID = "0123456789abcdef0123456789abcdef";
        QFETCH(QByteArray, playerName);
        QFETCH(QByteArray, serverName);
        QFETCH(QByteArray, before);
        slot.PlayerName = playerName;
        slot.ServerName = serverName;
        slot.AutoDetected = before;
        const std::size_t lines = m_log.lines().size();
        m_checks.CheckNameChanger(slot, 4);
        QTEST(slot.AutoDetected, "expected");
        QCOMPARE(slot.Cheating, slot.AutoDetected.endsWith("NameChanger"));
        QCOMPARE(m_log.lines().size(), lines + (logged.isEmpty() ? 0 : 1));
        if (!logged.isEmpty()) {
            QVERIFY(lastLog().endsWith(logged));
            QCOMPARE(m_log.lines().back().colour, logged.startsWith(QLatin1String("Almost"))
                                                      ? vh::base::Colours::Magenta
                                                      : vh::base::Colours::White);
        }
    }
};

QTEST_GUILESS_MAIN(TestCheatChecks)
#include "tst_cheatchecks.moc"
