#include "base/ActivityLog.h"
#include "base/Settings.h"
#include "util/TestWorkspace.h"

#include <QColor>
#include <QtTest>

using vh::base::ActivityLog;
using vh::base::Setting;
using vh::base::Settings;

class TestActivityLog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newestLineOnTopWithItsColour_data();
    void newestLineOnTopWithItsColour();
    void verboseOnlyWhenSettingIsOne_data();
    void verboseOnlyWhenSettingIsOne();
    void logFileNewestFirstWithCrLf();
};

void TestActivityLog::newestLineOnTopWithItsColour_data()
{
    QTest::addColumn<quint32>("colour");
    QTest::addColumn<QColor>("background");
    QTest::newRow("0 is white") << 0u << QColor(255, 255, 255);
    QTest::newRow("255 is red") << 255u << QColor(255, 0, 0);
    QTest::newRow("blue byte is the high one") << 0x302010u << QColor(0x10, 0x20, 0x30);
}

void TestActivityLog::newestLineOnTopWithItsColour()
{
    QFETCH(quint32, colour);
    QFETCH(QColor, background);
    Settings settings;
    ActivityLog log(settings);
    log.setClock([] { return QTime(9, 5, 0); });
    QSignalSpy inserted(&log, &QAbstractItemModel::rowsInserted);
    log.Log(QStringLiteral("first"), 65280);
    log.Log(QStringLiteral("x"), colour);
    QCOMPARE(log.rowCount(), 2);
    QCOMPARE(log.index(0).data().toString(), QStringLiteral("09:05:00 : x"));
    QCOMPARE(log.index(1).data().toString(), QStringLiteral("09:05:00 : first"));
    QCOMPARE(log.index(0).data(Qt::BackgroundRole).value<QColor>(), background);
    QCOMPARE(log.index(1).data(Qt::BackgroundRole).value<QColor>(), QColor(0, 255, 0));
    // views are told each line arrives at the top
    QCOMPARE(inserted.size(), 2);
    QCOMPARE(inserted.at(1).at(1).toInt(), 0);
}

void TestActivityLog::verboseOnlyWhenSettingIsOne_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("logged");
    QTest::newRow("1") << QStringLiteral("1") << true;
    QTest::newRow("0") << QStringLiteral("0") << false;
    QTest::newRow("1 with a blank") << QStringLiteral("1 ") << false;
}

void TestActivityLog::verboseOnlyWhenSettingIsOne()
{
    QFETCH(QString, stored);
    QFETCH(bool, logged);
    Settings settings;
    ActivityLog log(settings);
    log.setClock([] { return QTime(23, 59, 58); });
    log.LogVerbose(QStringLiteral("before"));
    // the switch is read at every call
    settings.setValue(Setting::VerboseLogging, stored);
    log.LogVerbose(QStringLiteral("Setting1 = 1"));
    QCOMPARE(log.rowCount(), logged ? 1 : 0);
    if (logged) {
        QCOMPARE(log.index(0).data().toString(), QStringLiteral("23:59:58 : Verbose,Setting1 = 1"));
        QCOMPARE(log.index(0).data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::white));
    }
}

void TestActivityLog::logFileNewestFirstWithCrLf()
{
    vh::test::TestWorkspace ws;
    Settings settings;
    ActivityLog log(settings);
    log.setClock([] { return QTime(14, 3, 7); });
    log.Log(QStringLiteral("a"));
    log.Log(QStringLiteral("b"), 255);
    log.Log(QStringLiteral("c \xe9"));
    ws.write(QStringLiteral("Varnholt.log"), "an older run\r\n");
    QCOMPARE(log.writeLogFile(ws.path(QStringLiteral("Varnholt.log"))), QStringList());
    QCOMPARE(ws.read(QStringLiteral("Varnholt.log")),
             QByteArray("14:03:07 : c \xe9\r\n14:03:07 : b\r\n14:03:07 : a\r\n"));

    const QStringList problems = log.writeLogFile(ws.path(QStringLiteral("no-such-folder/Varnholt.log")));
    QCOMPARE(problems.size(), 1);
    const QString prefix = QStringLiteral("Problems in Writing Log, error:");
    QVERIFY2(problems.first().startsWith(prefix) && problems.first().size() > prefix.size(),
             qPrintable(problems.first()));
}

QTEST_GUILESS_MAIN(TestActivityLog)
#include "tst_activitylog.moc"
