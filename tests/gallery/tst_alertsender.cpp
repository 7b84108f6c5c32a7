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
        hook.route(QStringLiteral("/hook"), [this](const QHttpServerRequest& request) {
            received << request.body();
            contentType = request.value("Content-Type");
            return QHttpServerResponse(status);
        });
        links.AlertWebhookUrl = QStringLiteral("http://127.0.0.1:%1/hook").arg(hook.listen(QHostAddress::LocalHost));
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
        return QJsonDocument::fromJson(received.at(i)).object().value(QLatin1String("content")).toString();
    }

    QByteArrayList received;
    QByteArray contentType;
    QHttpServerResponse::StatusCode status = QHttpServerResponse::StatusCode::Ok;
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
    // The first alert leaves at once; the next ones wait for the interval and go together, ten lines at most.
    void oneMessagePerInterval()
    {
        Alerts a(600);
        a.add("NoFog Bridge");
        QTRY_COMPARE(a.received.size(), 1);
        QElapsedTimer sinceFirst;
        sinceFirst.start();
        QCOMPARE(a.contentType, QByteArray("application/json"));
        QCOMPARE(a.content(0), QStringLiteral("Varnholt detection\nNoFog Bridge: player \"Player000001\" GUID "
                                              "cccccccccccccccccccccccccccccccc on Server \u00e9 000001 (10.0.0.1) at "
                                              "2026.12.06 10:00:00, entry 1"));
        a.add("", BannedGuid);
        for (int i = 0; i < 10; ++i)
            a.add("NoFog Bridge");
        QTRY_COMPARE_WITH_TIMEOUT(a.received.size(), 2, 5000);
        QVERIFY(sinceFirst.elapsed() >= 500);
        QVERIFY2(a.content(1).contains(QLatin1String("\nGUID on the AASA banlist (Banned, Aimbot used): player")),
                 qPrintable(a.content(1)));
        QCOMPARE(a.content(1).count(QLatin1String("NoFog Bridge")), 9);
        QVERIFY(a.content(1).endsWith(QLatin1String("\n... and 1 more detections")));
    }

    void nothingWithoutAddress()
    {
        Alerts a;
        a.links.AlertWebhookUrl.clear();
        a.add("NameChanger", BannedGuid);
        QTest::qWait(300);
        QCOMPARE(a.received.size(), 0);
        QCOMPARE(a.log.rowCount(), 0);
    }

    // every failed message is tried again until its time is up; the failures in a row are logged once
    void failureRetriedAndLoggedOnce()
    {
        Alerts a(100, 1000);
        a.status = QHttpServerResponse::StatusCode::ServiceUnavailable;
        QSignalSpy finished(&a.sender, &gallery::AlertSender::messageFinished);
        a.add("NameChanger");
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 5000);
        a.add("NameChanger");
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 5000);
        QVERIFY(a.received.size() >= 4);
        QCOMPARE(a.log.rowCount(), 1);
    }
};

QTEST_GUILESS_MAIN(TestAlertSender)
#include "tst_alertsender.moc"
