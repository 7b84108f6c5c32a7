#include "base/Paths.h"
#include "cli/CliOptions.h"
#include "cli/EntryCommand.h"
#include "database/Database.h"
#include "database/DatabaseFile.h"
#include "util/LocalHttpServer.h"
#include "util/SampleEntries.h"
#include "util/TestWorkspace.h"

#include <QBuffer>
#include <QDir>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace vh;

namespace {

// Keeps each HTTP request whole and answers it with status: the ACI body's boundary lines do not match its
// header, which a regular server refuses to parse.
struct RawReceiver
{
    QTcpServer server;
    QByteArrayList requests;

    explicit RawReceiver(int status)
    {
        server.listen(QHostAddress::LocalHost);
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this, status] {
            QTcpSocket* socket = server.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, status] {
                const QByteArray data = socket->peek(socket->bytesAvailable());
                const qsizetype end = data.indexOf("\r\n\r\n") + 4;
                const qsizetype length = data.indexOf("Content-Length: ");
                if (end < 4 || length < 0 || data.size() < end + data.mid(length + 16, 12).split('\r').first().toInt())
                    return;
                requests << socket->readAll();
                socket->write("HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Length: 0\r\n\r\n");
                socket->disconnectFromHost();
            });
        });
    }
};

} // namespace

// Entry 1 has its picture in the vault, entry 2 (the player the AASA list bans) has none.
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
    QTest::addColumn<QByteArray>("serverUrl");
    QTest::addColumn<int>("aciStatus");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("printed");
    const QByteArray svss = "/svss";
    QTest::newRow("report") << "report 1" << svss << 200 << 0 << "YOU are resposible";
    QTest::newRow("already banned") << "report 2" << svss << 200 << 0 << "[red] ";
    QTest::newRow("no such entry") << "report 3" << svss << 200 << 2 << "there is no entry 3";
    QTest::newRow("aci") << "aci 1" << svss << 200 << 0 << "";
    QTest::newRow("aci refused") << "aci 1" << svss << 403 << 1
                                 << "Problems in uploading to ACI, error:the server answered with HTTP status 403";
    QTest::newRow("aci, PNG missing") << "aci 2" << svss << 200 << 1
                                      << "Problems in uploading to ACI, error:the screenshot";
}

void TestCliReport::commands()
{
    QFETCH(QString, command);
    QFETCH(QByteArray, serverUrl);
    QFETCH(int, aciStatus);
    QFETCH(int, exitCode);
    QFETCH(QString, printed);
    test::TestWorkspace ws;
    test::LocalHttpServer server;
    RawReceiver aci(aciStatus);
    const QByteArray banned = "fedcba9876543210fedcba9876543210";
    ws.write(base::Paths::AasaBanlistFile, "AASA 1\r\n[x] " + banned + " Cheater 10.0.0.1 aasa pbss\r\n");
    server.serve(QStringLiteral("/aasa"), ws.read(base::Paths::AasaBanlistFile));
    server.serve(QStringLiteral("/svss/pb000001.htm"), "<p> <img src=pb000001.png>");
    ws.write(base::Paths::LinksFile, server.url(QStringLiteral("/aasa")).toLatin1() + "\r\ns\r\nr\r\nt\r\np\r\n\r\n" +
                                         "http://127.0.0.1:" + QByteArray::number(aci.server.serverPort()) +
                                         "/verified/index.php?");
    ws.write(base::Paths::SettingsFile, "s11:1\r\n"); // WarnReportResponsibility
    database::Database db;
    const QByteArray png("\x89PNG\r\n\x1a\n\x00\xff\x00\xff", 12);
    for (const QByteArray& guid : {QByteArray(32, 'a'), banned}) {
        database::ScreenshotEntry e = test::sampleEntry(db.EntryCount() + 1);
        e.IndexText = e.IndexText.left(6) + " \"P\" GUID=" + guid;
        e.ServerURL = server.url(QString()).toLatin1() + serverUrl;
        db.append(e);
    }
    ws.write(QStringLiteral("PBSS/vault/") + QString::fromLatin1(db.entry(1).VaultName) + QStringLiteral(".png"), png);
    ws.write(base::Paths::DatabaseFile, database::DatabaseFile::serialize(db));
    const QByteArray database = ws.read(base::Paths::DatabaseFile);

    QBuffer out;
    out.open(QIODevice::WriteOnly);
    const cli::CliOptions options = cli::CliOptions::parse(QStringList{QStringLiteral("--base-folder"), ws.base()} +
                                                           command.split(QLatin1Char(' ')));
    QCOMPARE(cli::EntryCommand::run(options, QStringLiteral("/usr/bin/varnholt-cli"), out, out, false), exitCode);
    QVERIFY2(out.data().contains(printed.toUtf8()), out.data().constData());
    const QStringList reports = QDir(ws.path(base::Paths::Reports)).entryList(QDir::Files);
    QCOMPARE(reports.size(), int(command == QLatin1String("report 1")));
    if (!reports.isEmpty())
        QVERIFY(out.data().contains(ws.path(base::Paths::Reports).toUtf8() + '/' + reports.first().toUtf8() + '\n'));
    QCOMPARE(ws.read(base::Paths::DatabaseFile), database);
    QCOMPARE(aci.requests.size(), int(command == QLatin1String("aci 1")));
    if (aci.requests.isEmpty())
        return;
    const QByteArray body = "--------------f89awenrh8f8\r\nContent-Disposition: form-data; name=\"file\"; file=\"" +
                            QDir(ws.base()).absolutePath().toUtf8() + "/PBSS/vault/" + db.entry(1).VaultName +
                            ".png\"\r\n\r\n" + png +
                            "\r\n--------------f89awenrh8f8\r\nContent-Disposition: form-data; name=\"url\"\r\n\r\n" +
                            db.entry(1).ServerURL + "/pb000001.png\r\n--------------f89awenrh8f8--";
    const QByteArray request = aci.requests.first();
    QVERIFY(request.startsWith("POST /verified/index.php? HTTP/1.1\r\n"));
    QVERIFY(request.contains("\r\nContent-Type: multipart/form-data; boundary=f89awenrh8f8\r\n"));
    QVERIFY(request.contains("\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n"));
    QVERIFY(request.endsWith("\r\n\r\n" + body));
}

QTEST_GUILESS_MAIN(TestCliReport)
#include "tst_cli_report.moc"
