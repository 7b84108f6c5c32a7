#include "banlists/BanlistSchedule.h"
#include "banlists/BanlistVersion.h"
#include "base/Settings.h"

#include <QtTest>

using namespace vh::banlists;
using vh::base::Setting;

class TestBanlistVersion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void publishedInfo_data();
    void publishedInfo();
    void scheduleRaisesDueFlag();
};

void TestBanlistVersion::publishedInfo_data()
{
    QTest::addColumn<bool>("aci");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("info");
    QTest::newRow("AASA semicolons and blanks removed")
        << false << QByteArray("  ;Version; 12\r\n\r\n [x]") << true << QStringLiteral("Version 12");
    QTest::newRow("AASA without bracket") << false << QByteArray("<html>Not found</html>") << false << QString();
    QTest::newRow("AASA bracket at 255 is outside")
        << false << QByteArray(255, 'a') + QByteArray("[x]") << false << QString();
    QTest::newRow("AASA bracket at 254 is inside")
        << false << QByteArray(254, 'a') + QByteArray("[x]") << true << QString(254, QLatin1Char('a'));
    QTest::newRow("ACI first line kept with its CR")
        << true << QByteArray("ACI list 2026-12-01\r\n[abc] x\n") << true << QStringLiteral("ACI list 2026-12-01\r");
    QTest::newRow("ACI bracket needed") << true << QByteArray("ACI list\r\nno brackets here\n") << false << QString();
    QTest::newRow("ACI without line feed") << true << QByteArray("only[") << true << QStringLiteral("only[");
}

void TestBanlistVersion::publishedInfo()
{
    QFETCH(bool, aci);
    QFETCH(QByteArray, body);
    QFETCH(bool, found);
    QFETCH(QString, info);
    const std::optional<QString> got = aci ? publishedAciInfo(body) : publishedAasaInfo(body);
    QCOMPARE(got.has_value(), found);
    QCOMPARE(got.value_or(QString()), info);
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
    // switched off, the counter still wraps but nothing becomes due
    settings.setValue(Setting::AutoBanlistUpdate, QStringLiteral("0"));
    for (int i = 1; i <= 10; ++i)
        QVERIFY(!schedule.tick(settings));
    QCOMPARE(schedule.BanlistMinuteCounter, 0);
}

QTEST_GUILESS_MAIN(TestBanlistVersion)
#include "tst_banlistversion.moc"
