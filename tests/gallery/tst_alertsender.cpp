#include "banlists/Banlists.h"
#include "base/ActivityLog.h"
#include "base/Links.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "database/Database.h"
#include "gallery/AlertSender.h"
#include "util/SampleEntries.h"
#include "util/TestWorkspace.h"

#include <QHttpServer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

using namespace vh;

namespace {

const QByteArray BannedGuid(32, 'b');

// A database, the banlists with one banned GUID and a sender posting to the local server.
struct Alerts
{
    explicit Alerts(int minIntervalMs = 2000, int retryForMs = 120000)
    {
        ws.write(QStringLiteral("banlists/aasaprivbanguid.txt"),
                 "AASA list\n[2026.01.01 10:00:00] " + BannedGuid + " \"Banned\" 1.2.3.4:5 Aimbot used\n");
        bans.LoadAasaBanlist();
        // the webhook answers with the statuses in turn, the last one repeating
        hook.route(QStringLiteral("/hook"), [this](const QHttpServerRequest& request) {
            received << Post{clock.elapsed(), request.body(), request.value("Content-Type")};
            return QHttpServerResponse(statuses.at(std::min(received.size(), statuses.size()) - 1));
        });
        links.AlertWebhookUrl = QStringLiteral("http://127.0.0.1:%1/hook").arg(hook.listen(QHostAddress::LocalHost));
        clock.start();
        sender.setTiming({minIntervalMs, 100, 400, retryForMs, 5000});
    }
    void add(const QByteArray& detected, const QByteArray& guid = QByteArray(32, 'c'))
    {
        database::ScreenshotEntry e = test::sampleEntry(db.EntryCount() + 1);
        e.AutoDetected = detected;
        e.GUID = guid;
        db.append(e);
        sender.entryAdded(db.EntryCount());
    }
    QString content(int i) const
    {
        const auto doc = QJsonDocument::fromJson(received.at(i).body).object();
        return doc.size() == 1 ? doc.value(QLatin1String("content")).toString() : QString();
    }

    struct Post
    {
        qint64 atMs;
        QByteArray body;
        QByteArray contentType;
    };
    QList<Post> received;
    QList<QHttpServerResponse::StatusCode> statuses{QHttpServerResponse::StatusCode::Ok};
    QElapsedTimer clock;
    QHttpServer hook;
    test::TestWorkspace ws;
    base::Settings settings;
    base::ActivityLog log{settings};
    base::Workspace workspace{ws.base()};
    banlists::Banlists bans{log, workspace};
    base::Links links;
    database::Database db;
    gallery::AlertSender sender{db, bans, links, log};
};

} // namespace

class TestAlertSender : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void message_data()
    {
        QTest::addColumn<QByteArray>("detected");
        QTest::addColumn<QByteArray>("guid");
        QTest::addColumn<bool>("webhook");
        QTest::addColumn<QString>("says"); // empty: nothing is sent
        QTest::newRow("detection")
            << QByteArray("NameChanger") << QByteArray(32, 'c') << true
            << QStringLiteral("NameChanger: player \"Player000001\" GUID cccccccccccccccccccccccccccccccc on "
                              "Server \u00e9 000001 (10.0.0.1) at 2026.12.06 10:00:00, entry 1");
        QTest::newRow("banned guid") << QByteArray() << BannedGuid << true
                                     << QStringLiteral("GUID on the AASA banlist (Banned, Aimbot used)");
        QTest::newRow("no eighth line") << QByteArray("NameChanger") << BannedGuid << false << QString();
    }
    void message()
    {
        QFETCH(QByteArray, detected);
        QFETCH(QByteArray, guid);
        QFETCH(bool, webhook);
        QFETCH(QString, says);
        Alerts a;
        if (!webhook)
            a.links.AlertWebhookUrl.clear();
        a.add(detected, guid);
        if (says.isEmpty()) {
            QTest::qWait(300);
            QCOMPARE(a.received.size(), 0);
            QCOMPARE(a.log.rowCount(), 0);
            return;
        }
        QTRY_COMPARE(a.received.size(), 1);
        QCOMPARE(a.received.first().contentType, QByteArray("application/json"));
        QVERIFY2(a.content(0).contains(says), qPrintable(a.content(0)));
    }

    void atMostOneMessagePerInterval()
    {
        Alerts a(600);
        a.add("NoFog Bridge");
        QTRY_COMPARE(a.received.size(), 1);
        for (int i = 0; i < 11; ++i)
            a.add("NoFog Bridge");
        QTRY_COMPARE_WITH_TIMEOUT(a.received.size(), 2, 5000);
        QVERIFY(a.received.at(1).atMs - a.received.at(0).atMs >= 550);
        QCOMPARE(a.content(0).count(QLatin1String("NoFog Bridge")), 1);
        QCOMPARE(a.content(1).count(QLatin1String("NoFog Bridge")), 10);
        QVERIFY(a.content(1).endsWith(QLatin1String("... and 1 more detections")));
    }

    void retriedOn429AndFailureLoggedOnce()
    {
        Alerts a(100, 1500);
        a.statuses = {QHttpServerResponse::StatusCode::TooManyRequests, QHttpServerResponse::StatusCode::Ok};
        a.add("NameChanger");
        QTRY_COMPARE(a.received.size(), 2);
        QCOMPARE(a.received.at(1).body, a.received.at(0).body);
        QSignalSpy finished(&a.sender, &gallery::AlertSender::messageFinished);
        a.received.clear();
        a.statuses = {QHttpServerResponse::StatusCode::ServiceUnavailable};
        a.add("NameChanger");
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 5000);
        a.add("NameChanger");
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 5000);
        QVERIFY(a.received.size() >= 4); // each failed message was tried again
        QCOMPARE(a.log.rowCount(), 1);
    }
};

QTEST_GUILESS_MAIN(TestAlertSender)
#include "tst_alertsender.moc"
