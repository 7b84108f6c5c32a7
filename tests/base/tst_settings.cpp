#include "base/Settings.h"
#include "util/FileSizeLimit.h"
#include "util/TestWorkspace.h"

#include <QtTest>

using vh::base::Setting;
using vh::base::Settings;

class TestSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keyMatching_data();
    void keyMatching();
    void saveWritesFortyLinesAndReadsBack();
    void failedSaveKeepsThePreviousFile();
    void switches();
};

void TestSettings::keyMatching_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("expected");
    // a slot no line sets keeps the value it had
    QTest::newRow("s10 does not match s1") << QByteArray("s10:1\r\n") << 0 << QStringLiteral("old");
    QTest::newRow("s10 sets slot 9") << QByteArray("s10:1\r\n") << 9 << QStringLiteral("1");
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
    s.setValue(Setting::SkipAasaPbssOnly, QStringLiteral("0"));
    s.setValue(Setting::BanlistUpdateMinutes, QStringLiteral("30"));
    // a line break inside a value must not start a line of its own
    s.setValue(Setting::BrowserPath, QStringLiteral("/usr/bin/x\r\ns1:1"));
    s.setSlot(60, QStringLiteral("never stored"));
    QVERIFY(s.SaveSettings(ws.path(QStringLiteral("data/Settings.dat"))).isEmpty());
    const QByteArray written = ws.read(QStringLiteral("data/Settings.dat"));
    QVERIFY(written.startsWith("s1:0\r\ns2:30\r\ns3:\r\n"));
    QCOMPARE(written.count("\r\n"), 40);
    QVERIFY(written.endsWith("s40:\r\n"));
    Settings back;
    QVERIFY(back.LoadSettings(ws.path(QStringLiteral("data/Settings.dat"))).isEmpty());
    QCOMPARE(back.value(Setting::SkipAasaPbssOnly), QStringLiteral("0"));
    QCOMPARE(back.value(Setting::BanlistUpdateMinutes), QStringLiteral("30"));
    QCOMPARE(back.value(Setting::BrowserPath), QStringLiteral("/usr/bin/xs1:1"));
}

void TestSettings::failedSaveKeepsThePreviousFile()
{
    vh::test::TestWorkspace ws;
    const QString path = ws.path(QStringLiteral("data/Settings.dat"));
    Settings s;
    QVERIFY(s.SaveSettings(path).isEmpty());
    const QByteArray previous = ws.read(QStringLiteral("data/Settings.dat"));
    const QStringList loadProblems = s.LoadSettings(ws.path(QStringLiteral("no-folder/Settings.dat")));
    QCOMPARE(loadProblems.size(), 1);
    QVERIFY(loadProblems.first().startsWith(QStringLiteral("Problems in Loading Settings, error:")));
    s.setValue(Setting::BrowserPath, QString(400, QLatin1Char('b')));
    {
        vh::test::FileSizeLimit limit(previous.size() + 10);
        if (!limit.active())
            QSKIP("no way to limit the file size here");
        const QStringList problems = s.SaveSettings(path);
        QCOMPARE(problems.size(), 1);
        QVERIFY(problems.first().startsWith(QStringLiteral("Problems in Saving Settings, error:")));
    }
    QCOMPARE(ws.read(QStringLiteral("data/Settings.dat")), previous);
    QCOMPARE(QDir(ws.path(QStringLiteral("data"))).entryList(QDir::Files), QStringList{QStringLiteral("Settings.dat")});
}

void TestSettings::switches()
{
    Settings s;
    s.setValue(Setting::LoopScan, QStringLiteral("2"));
    QVERIFY(!s.isOn(Setting::LoopScan));
    s.setValue(Setting::LoopScan, QStringLiteral("1"));
    QVERIFY(s.isOn(Setting::LoopScan));
    s.setValue(Setting::Threads, QStringLiteral(" 12"));
    QCOMPARE(s.number(Setting::Threads), 12);
    s.setValue(Setting::Threads, QStringLiteral("x"));
    QCOMPARE(s.number(Setting::Threads, 5), 5);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
