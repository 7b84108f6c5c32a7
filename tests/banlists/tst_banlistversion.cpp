#include "base/Settings.h"
#include "banlists/BanlistSchedule.h"
#include "banlists/BanlistVersion.h"

#include <QtTest>

using namespace vh::banlists;
using vh::base::Setting;

class TestBanlistVersion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aasaInfo_data();
    void aasaInfo();
    void aciInfo_data();
    void aciInfo();
    void scheduleRaisesDueFlag();
};

void TestBanlistVersion::aasaInfo_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("info");
    QTest::newRow("plain") << QByteArray("Version 12 of 2026-12-01\r\n[GUID] name reason\r\n") << true
                           << QStringLiteral("Version 12 of 2026-12-01");
    QTest::newRow("semicolons and blanks removed")
        << QByteArray("  ;Version; 12\r\n\r\n [x]") << true << QStringLiteral("Version 12");
    QTest::newRow("no bracket") << QByteArray("<html>Not found</html>") << false << QString();
    QTest::newRow("bracket at 255 is outside")
        << QByteArray(255, 'a') + QByteArray("[x]") << false << QString();
    QTest::newRow("bracket at 254 is inside")
        << QByteArray(254, 'a') + QByteArray("[x]") << true << QString(254, QLatin1Char('a'));
    QTest::newRow("empty body") << QByteArray() << false << QString();
}

void TestBanlistVersion::aasaInfo()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, found);
    QFETCH(QString, info);
    const std::optional<QString> got = publishedAasaInfo(body);
    QCOMPARE(got.has_value(), found);
    if (found)
        QCOMPARE(*got, info);
}

void TestBanlistVersion::aciInfo_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("info");
    QTest::newRow("first line kept with its CR") << QByteArray("ACI list 2026-12-01\r\n[abc] x\n") << true
                                                 << QStringLiteral("ACI list 2026-12-01\r");
    QTest::newRow("bracket needed") << QByteArray("ACI list\r\nno brackets here\n") << false << QString();
    QTest::newRow("no line feed") << QByteArray("only[") << true << QStringLiteral("only[");
}

void TestBanlistVersion::aciInfo()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, found);
    QFETCH(QString, info);
    const std::optional<QString> got = publishedAciInfo(body);
    QCOMPARE(got.has_value(), found);
    if (found)
        QCOMPARE(*got, info);
}

void TestBanlistVersion::scheduleRaisesDueFlag()
{
    vh::base::Settings settings;
    settings.setValue(Setting::BanlistUpdateMinutes, QStringLiteral("10"));
    settings.setValue(Setting::AutoBanlistUpdate, QStringLiteral("1"));
    BanlistSchedule schedule;
    for (int i = 1; i < 10; ++i)
        QVERIFY(!schedule.tick(settings));
    QVERIFY(schedule.tick(settings)); // the tenth minute
    QCOMPARE(schedule.BanlistMinuteCounter, 0);

    // switched off, the counter still wraps but nothing becomes due
    settings.setValue(Setting::AutoBanlistUpdate, QStringLiteral("0"));
    for (int i = 1; i < 10; ++i)
        QVERIFY(!schedule.tick(settings));
    QCOMPARE(schedule.BanlistMinuteCounter, 9);
    QVERIFY(!schedule.tick(settings));
    QCOMPARE(schedule.BanlistMinuteCounter, 0);
}

QTEST_GUILESS_MAIN(TestBanlistVersion)
#include "tst_banlistversion.moc"
