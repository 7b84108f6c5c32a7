#include "Farm.h"

#include <httplib.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

using vh::sim::Farm;

// The farm's pages and status replies are checked by the end-to-end test, which reads them as the program does;
// here what the demo shows of an upload.
class TestFarm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void uploadIsKeptAsSent();
};

void TestFarm::uploadIsKeptAsSent()
{
    // the program's form: fourteen dashes before the boundary word, a PNG with bytes 0 and 255
    Farm farm(1);
    const QByteArray png("\x89PNG\x00\xff\r\n", 8);
    const QByteArray body =
        "--------------f89awenrh8f8\r\nContent-Disposition: form-data; name=\"file\"; file=\"/w/a.png\""
        "\r\n\r\n" +
        png +
        "\r\n--------------f89awenrh8f8\r\nContent-Disposition: form-data; "
        "name=\"url\"\r\n\r\nhttp://h/pb000001.png\r\n--------------f89awenrh8f8--";
    httplib::Client client("127.0.0.1", farm.http().port());
    const auto response =
        client.Post("/verified/index.php?", body.toStdString(), "multipart/form-data; boundary=f89awenrh8f8");
    QVERIFY(response && response->status == 200);
    QCOMPARE(farm.http().posts().size(), 1);
    QCOMPARE(farm.http().posts().first().body, body);
    const QJsonArray uploads = farm.manifest().value(QStringLiteral("uploads")).toArray();
    QCOMPARE(uploads.first().toObject().value(QStringLiteral("url")).toString(),
             QStringLiteral("http://h/pb000001.png"));
}

QTEST_GUILESS_MAIN(TestFarm)
#include "tst_farm.moc"
