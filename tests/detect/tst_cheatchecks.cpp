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

private Q_SLOTS:
    void initTestCase() { m_colours.LoadSuspiciousColors(); }

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
        QTest::addColumn<QByteArray>("index");
        QTest::addColumn<QByteArray>("player");
        QTest::addColumn<QByteArray>("server");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<QString>("logged");
        QTest::addColumn<bool>("scanOn");
        const auto row = [](const char* name, const QByteArray& index, const QByteArray& player,
                            const QByteArray& server, const QByteArray& before, const QByteArray& expected,
                            const QString& logged = {}, bool scanOn = true) {
            QTest::newRow(name) << index << player << server << before << expected << logged << scanOn;
        };
        const QByteArray line = "000123 \"Player\" GUID=0123456789abcdef0123456789abcdef (OK)";
        row("same name in other case", line, "PLAYER", "S", "", "");
        row("changed name", line, "Other", "S", "", "NameChanger");
        row("after an earlier result", line, "Other", "S", "X", "X, NameChanger");
        row("other GUID listed", "000123 \"Player\" GUID=ffffffffffffffffffffffffffffffff", "Other", "S", "", "");
        row("exempt server", line, "Other", "Another ArmyOps Server", "", "");
        row("almost", line, "", "Unknown", "", "", QStringLiteral("Almost Namechanger"));
        row("no quoted name", "000123 Player GUID=0123456789abcdef0123456789abcdef", "Other", "S", "", "",
            QStringLiteral(
                "Problems in checking for NameChanger, error:Invalid procedure call or argument DB-entry: 4"));
        row("no GUID listed", "000123 \"Player\" (OK)", "Other", "S", "", "");
        row("scan switched off", line, "Other", "S", "", "", {}, false);
    }

    void nameChanger()
    {
        QFETCH(QByteArray, index);
        QFETCH(QByteArray, player);
        QFETCH(QByteArray, server);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, expected);
        QFETCH(QString, logged);
        QFETCH(bool, scanOn);
        m_settings.setValue(Setting::ScanNameChanger, scanOn ? QStringLiteral("1") : QStringLiteral("0"));
        ScreenshotEntry slot;
        slot.IndexText = index;
        slot.GUID = "0123456789abcdef0123456789abcdef";
        slot.PlayerName = player;
        slot.ServerName = server;
        slot.AutoDetected = before;
        const std::size_t lines = m_log.lines().size();
        m_checks.CheckNameChanger(slot, 4);
        QCOMPARE(slot.AutoDetected, expected);
        QCOMPARE(slot.Cheating, !expected.isEmpty());
        QCOMPARE(m_log.lines().size(), lines + (logged.isEmpty() ? 0 : 1));
        if (!logged.isEmpty())
            QVERIFY(m_log.lines().back().text.endsWith(logged));
    }
};

QTEST_GUILESS_MAIN(TestCheatChecks)
#include "tst_cheatchecks.moc"
