#include "base/ActivityLog.h"
#include "base/Links.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "database/Database.h"
#include "report/AciUpload.h"
#include "util/LogLines.h"
#include "util/RawHttpReceiver.h"
#include "util/TestWorkspace.h"

#include <QDir>
#include <QTest>

using namespace vh;

class TestAciUpload : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void upload_data();
    void upload();
};

void TestAciUpload::upload_data()
{
    QTest::addColumn<QByteArray>("serverUrl");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("logged");
    QTest::newRow("sent") << QByteArray("http://10.1.2.3/pb") << QString() << QString();
    QTest::newRow("sent, trailing slash kept") << QByteArray("http://10.1.2.3/pb/") << QString() << QString();
    QTest::newRow("missing PNG") << QByteArray("u") << "png"
                                 << "Problems in uploading to ACI, error:the screenshot ";
    QTest::newRow("no seventh line") << QByteArray("u") << "links"
                                     << "ACI upload not sent: data/Links.dat has no";
    QTest::newRow("refused") << QByteArray("u") << "refused"
                             << "Problems in uploading to ACI, error:Connection refused";
    QTest::newRow("server error") << QByteArray("u") << "500"
                                  << "Problems in uploading to ACI, error:the server answered with HTTP status 500";
}

void TestAciUpload::upload()
{
    QFETCH(QByteArray, serverUrl);
    QFETCH(QString, failure);
    QFETCH(QString, logged);
    test::TestWorkspace ws;
    test::RawHttpReceiver server(failure == QLatin1String("500") ? 500 : 200);
    base::Settings settings;
    base::ActivityLog log(settings);
    base::Workspace workspace(ws.base());
    database::Database db;
    base::Links links;
    links.AciVerifyUrl = failure == QLatin1String("links")     ? QString()
                         : failure == QLatin1String("refused") ? QStringLiteral("http://127.0.0.1:1/v?")
                                                               : server.url(QStringLiteral("/verified/index.php?"));
    database::ScreenshotEntry e;
    e.ShotFile = "pb000123.png";
    e.ServerURL = serverUrl;
    e.VaultName = "v123";
    db.append(e);
    const QByteArray png("\x89PNG\r\n\x1a\n\x00\xff\x00\xff", 12);
    if (failure != QLatin1String("png"))
        ws.write(QStringLiteral("PBSS/vault/v123.png"), png);
    report::AciUpload upload(links, log, workspace, db);

    QCOMPARE(upload.uploadEntry(1), failure.isEmpty());
    // a missing PNG is neither created nor sent
    QCOMPARE(ws.exists(QStringLiteral("PBSS/vault/v123.png")), failure != QLatin1String("png"));
    QCOMPARE(server.requests.size(), int(failure.isEmpty() || failure == QLatin1String("500")));
    const QStringList lines = test::logMessages(log);
    QCOMPARE(lines.size(), int(!failure.isEmpty()));
    if (!failure.isEmpty()) {
        QVERIFY2(lines.first().startsWith(logged), qPrintable(lines.first()));
        return;
    }
    const QByteArray body = "--------------f89awenrh8f8\r\nContent-Disposition: form-data; name=\"file\"; file=\"" +
                            QDir(ws.base()).absolutePath().toUtf8() + "/PBSS/vault/v123.png\"\r\n\r\n" + png +
                            "\r\n--------------f89awenrh8f8\r\nContent-Disposition: form-data; name=\"url\"\r\n\r\n" +
                            serverUrl + "/pb000123.png\r\n--------------f89awenrh8f8--";
    const QByteArray request = server.requests.first();
    QVERIFY2(request.startsWith("POST /verified/index.php? HTTP/1.1\r\n"), request.constData());
    QVERIFY(request.contains("\r\nContent-Type: multipart/form-data; boundary=f89awenrh8f8\r\n"));
    QVERIFY(request.contains("\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n"));
    QVERIFY(request.endsWith("\r\n\r\n" + body));
}

QTEST_GUILESS_MAIN(TestAciUpload)
#include "tst_aciupload.moc"
