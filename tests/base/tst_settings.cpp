#include "base/PreferenceRules.h"
#include "base/Settings.h"
#include "util/TestWorkspace.h"

#include <QtTest>

using vh::base::Setting;
using vh::base::Settings;
namespace Rules = vh::base::PreferenceRules;

class TestSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keyMatching_data();
    void keyMatching();
    void saveWritesFortyLinesAndReadsBack();
    void failuresAreReported();
    void switches();
    void validations_data();
    void validations();
    void slotsIntoControls_data();
    void slotsIntoControls();
};

void TestSettings::keyMatching_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("expected");
    // a slot no line sets keeps the value it had
    QTest::newRow("s10 does not match s1") << QByteArray("s10:1\r\n") << 0 << QStringLiteral("old");
    QTest::newRow("later line wins") << QByteArray("s3:1\r\ns3:0\r\n") << 2 << QStringLiteral("0");
    QTest::newRow("no line end on last line") << QByteArray("s15:12") << 14 << QStringLiteral("12");
    QTest::newRow("leading zero is no key") << QByteArray("s01:1\r\n") << 0 << QStringLiteral("old");
    QTest::newRow("key 40 is stored") << QByteArray("s40:1\r\n") << 39 << QStringLiteral("1");
    QTest::newRow("key 41 is not stored") << QByteArray("s41:1\r\n") << 40 << QStringLiteral("old");
    QTest::newRow("colons and latin-1 in a value")
        << QByteArray("s25:C:\\\xe9t\xe9.exe\r\n") << 24 << QStringLiteral("C:\\\u00e9t\u00e9.exe");
}

void TestSettings::keyMatching()
{
    QFETCH(QByteArray, file);
    QFETCH(int, slot);
    QFETCH(QString, expected);
    Settings s;
    s.setSlot(slot, QStringLiteral("old"));
    s.parse(file);
    QCOMPARE(s.slot(slot), expected);
}

void TestSettings::saveWritesFortyLinesAndReadsBack()
{
    vh::test::TestWorkspace ws;
    Settings s;
    s.setValue(Setting::BanlistUpdateMinutes, QStringLiteral("30"));
    // a line break inside a value must not start a line of its own
    s.setValue(Setting::BrowserPath, QStringLiteral("/usr/bin/x\r\ns1:1"));
    s.setSlot(60, QStringLiteral("never stored"));
    QVERIFY(s.SaveSettings(ws.path(QStringLiteral("data/Settings.dat"))).isEmpty());
    const QByteArray written = ws.read(QStringLiteral("data/Settings.dat"));
    QVERIFY(written.startsWith("s1:\r\ns2:30\r\ns3:\r\n"));
    QCOMPARE(written.count("\r\n"), 40);
    Settings back;
    QVERIFY(back.LoadSettings(ws.path(QStringLiteral("data/Settings.dat"))).isEmpty());
    QCOMPARE(back.value(Setting::BrowserPath), QStringLiteral("/usr/bin/xs1:1"));
}

void TestSettings::failuresAreReported()
{
    // the file is written whole or not at all, by the platform's atomic write; here only the reporting
    vh::test::TestWorkspace ws;
    ws.write(QStringLiteral("data/x"), "a file where a folder should be");
    Settings s;
    QCOMPARE(s.LoadSettings(ws.path(QStringLiteral("no-folder/Settings.dat"))).size(), 1);
    QCOMPARE(s.SaveSettings(ws.path(QStringLiteral("data/x/Settings.dat"))).size(), 1);
}

void TestSettings::switches()
{
    Settings s;
    s.setValue(Setting::LoopScan, QStringLiteral("2"));
    QVERIFY(!s.isOn(Setting::LoopScan));
    s.setValue(Setting::Threads, QStringLiteral(" 12"));
    QCOMPARE(s.number(Setting::Threads), 12);
    s.setValue(Setting::Threads, QStringLiteral("x"));
    QCOMPARE(s.number(Setting::Threads, 5), 5);
}

void TestSettings::validations_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text4");
    QTest::addColumn<QString>("text5");
    QTest::newRow("5") << QStringLiteral("5") << QStringLiteral("10") << QStringLiteral("10");
    QTest::newRow("121") << QStringLiteral("121") << QStringLiteral("120") << QStringLiteral("121");
    QTest::newRow("empty") << QString() << QStringLiteral("10") << QStringLiteral("10");
    QTest::newRow("not a number stays") << QStringLiteral("abc") << QStringLiteral("abc") << QStringLiteral("abc");
}

void TestSettings::validations()
{
    QFETCH(QString, typed);
    QFETCH(QString, text4);
    QFETCH(QString, text5);
    QCOMPARE(Rules::validateBanlistInterval(typed), text4);
    QCOMPARE(Rules::validatePerServerLimit(typed), text5);
}

void TestSettings::slotsIntoControls_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<int>("check");  // -1: refused
    QTest::addColumn<int>("slider"); // within 1 to 40, -1: refused
    QTest::addColumn<QString>("error");
    QTest::newRow("greyed") << QStringLiteral("2") << 2 << 2 << QString();
    QTest::newRow("unticked") << QStringLiteral("0") << 0 << -1 << QStringLiteral("Invalid property value");
    QTest::newRow("empty") << QString() << -1 << -1 << QStringLiteral("Type mismatch");
    QTest::newRow("40") << QStringLiteral("40") << -1 << 40 << QStringLiteral("Invalid property value");
    QTest::newRow("41") << QStringLiteral("41") << -1 << -1 << QStringLiteral("Invalid property value");
}

void TestSettings::slotsIntoControls()
{
    QFETCH(QString, slot);
    QFETCH(int, check);
    QFETCH(int, slider);
    QFETCH(QString, error);
    const vh::base::Checked<int> state = Rules::checkStateFromSlot(slot);
    const vh::base::Checked<int> value = Rules::sliderValueFromSlot(slot, 1, 40);
    QCOMPARE(state.ok() ? state.value : -1, check);
    QCOMPARE(value.ok() ? value.value : -1, slider);
    if (!state.ok())
        QCOMPARE(state.problems, QStringList{error});
    if (!value.ok())
        QCOMPARE(value.problems, QStringList{error});
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
