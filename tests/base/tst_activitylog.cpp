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
    void linesOnScreenAndInFile();
};

void TestActivityLog::linesOnScreenAndInFile()
{
    vh::test::TestWorkspace ws;
    Settings settings;
    ActivityLog log(settings);
    log.setClock([] { return QTime(9, 5, 0); });
    log.Log(QStringLiteral("blue byte is the high one"), 0x302010u);
    log.Log(QStringLiteral("255 is red \xe9"), 255);
    log.Log(QStringLiteral("0 is white"), 0);
    const QList<QColor> backgrounds{QColor(255, 255, 255), QColor(255, 0, 0), QColor(0x10, 0x20, 0x30)};
    QCOMPARE(log.index(0).data().toString(), QStringLiteral("09:05:00 : 0 is white"));
    for (int row = 0; row < 3; ++row)
        QCOMPARE(log.index(row).data(Qt::BackgroundRole).value<QColor>(), backgrounds[row]);

    ws.write(QStringLiteral("Varnholt.log"), "an older run\r\n");
    QCOMPARE(log.writeLogFile(ws.path(QStringLiteral("Varnholt.log"))), QStringList());
    QCOMPARE(ws.read(QStringLiteral("Varnholt.log")),
             QByteArray("09:05:00 : 0 is white\r\n09:05:00 : 255 is red \xe9\r\n"
                        "09:05:00 : blue byte is the high one\r\n"));
    QCOMPARE(log.writeLogFile(ws.path(QStringLiteral("no-such-folder/Varnholt.log"))).size(), 1);

    // verbose lines only when the switch is exactly "1", read at every call
    for (const char* off : {"", "0", "1 "}) {
        settings.setValue(Setting::VerboseLogging, QString::fromLatin1(off));
        log.LogVerbose(QStringLiteral("hidden"));
    }
    settings.setValue(Setting::VerboseLogging, QStringLiteral("1"));
    log.LogVerbose(QStringLiteral("Setting1 = 1"));
    QCOMPARE(log.rowCount(), 4);
    QCOMPARE(log.index(0).data().toString(), QStringLiteral("09:05:00 : Verbose,Setting1 = 1"));
}

QTEST_GUILESS_MAIN(TestActivityLog)
#include "tst_activitylog.moc"
