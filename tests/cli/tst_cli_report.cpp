#include "base/Paths.h"
#include "base/Settings.h"
#include "database/Database.h"
#include "database/DatabaseFile.h"
#include "util/LocalHttpServer.h"
#include "util/RawHttpReceiver.h"
#include "util/SampleEntries.h"
#include "util/TestWorkspace.h"

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace vh;

class TestCliReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commands_data();
    void commands();
};

void TestCliReport::commands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("aciStatus");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("printed");
    QTest::newRow("report") << "report 1" << 200 << 0 << "YOU are resposible";
    QTest::newRow("already banned") << "report 2" << 200 << 0 << "[red] ";
    QTest::newRow("no such entry") << "report 3" << 200 << 2 << "there is no entry 3";
    QTest::newRow("aci") << "aci 1" << 200 << 0 << "";
    QTest::newRow("aci refused") << "aci 1" << 403 << 1 << "Problems in uploading to ACI, error:";
}

void TestCliReport::commands()
{
    QFETCH(QString, command);
    QFETCH(int, aciStatus);
    QFETCH(int, exitCode);
    QFETCH(QString, printed);
    test::TestWorkspace ws;
    test::LocalHttpServer server;
    test::RawHttpReceiver aci(aciStatus);
    const QByteArray banned = "fedcba9876543210fedcba9876543210";
    ws.write(base::Paths::AasaBanlistFile, "AASA 1\r\n[x] " + banned + " Cheater 10.0.0.1 aasa pbss\r\n");
    server.serve(QStringLiteral("/aasa"), ws.read(base::Paths::AasaBanlistFile));
    server.serve(QStringLiteral("/svss/pb000001.htm"), "<p> <img src=pb000001.png>");
    ws.write(base::Paths::LinksFile, server.url(QStringLiteral("/aasa")).toLatin1() + "\r\ns\r\nr\r\nt\r\np\r\n\r\n" +
                                         aci.url(QStringLiteral("/verified/index.php?")).toLatin1());
    base::Settings settings;
    settings.setValue(base::Setting::WarnReportResponsibility, QStringLiteral("1"));
    ws.write(base::Paths::SettingsFile, settings.serialize());
    database::Database db;
    for (const QByteArray& guid : {QByteArray(32, 'a'), banned}) {
        database::ScreenshotEntry e = test::sampleEntry(db.EntryCount() + 1);
        e.IndexText = e.IndexText.left(6) + " \"P\" GUID=" + guid;
        e.ServerURL = server.url(QStringLiteral("/svss")).toLatin1();
        db.append(e);
        ws.write(QStringLiteral("PBSS/vault/") + QString::fromLatin1(e.VaultName) + QStringLiteral(".png"), "png");
    }
    ws.write(base::Paths::DatabaseFile, database::DatabaseFile::serialize(db));
    const QByteArray database = ws.read(base::Paths::DatabaseFile);

    QProcess cli;
    QSignalSpy finished(&cli, &QProcess::finished);
    cli.start(QStringLiteral(VARNHOLT_CLI_PATH),
              QStringList{QStringLiteral("--base-folder"), ws.base()} + command.split(QLatin1Char(' ')));
    QVERIFY(finished.wait(60000)); // the ACI receiver answers on this thread's event loop
    const QString out = QString::fromUtf8(cli.readAllStandardOutput() + cli.readAllStandardError());
    QCOMPARE(cli.exitCode(), exitCode);
    QVERIFY2(out.contains(printed), qPrintable(out));
    const QStringList reports = QDir(ws.path(base::Paths::Reports)).entryList(QDir::Files);
    QCOMPARE(reports.size(), int(command == QLatin1String("report 1")));
    if (!reports.isEmpty())
        QVERIFY2(out.contains(ws.path(base::Paths::Reports) + QLatin1Char('/') + reports.first() + QLatin1Char('\n')),
                 qPrintable(out));
    QCOMPARE(aci.requests.size(), int(command.startsWith(QLatin1String("aci"))));
    QCOMPARE(ws.read(base::Paths::DatabaseFile), database);
}

QTEST_GUILESS_MAIN(TestCliReport)
#include "tst_cli_report.moc"
