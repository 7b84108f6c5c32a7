#include "app/AppCore.h"
#include "base/Paths.h"
#include "report/ReportPage.h"
#include "util/LocalHttpServer.h"
#include "util/SampleEntries.h"
#include "util/TestWorkspace.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

using namespace vh;
using base::Setting;
using Outcome = report::AasaReport::Outcome;

namespace {

const QByteArray Guid = "0123456789abcdef0123456789abcdef";
const QByteArray Shown = "<p> <img src=pb000123.png>";

} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pageBytes_data();
    void pageBytes();
    void outcomes_data();
    void outcomes();
};

void TestReport::pageBytes_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::newRow("plain, with the PNG's hashes") << "report-plain.htm";
    QTest::newRow("NTD Red, PNG missing") << "report-ntd-red.htm";
    QTest::newRow("gone, the page escaped") << "report-gone.htm";
}

void TestReport::pageBytes()
{
    QFETCH(QString, fixture);
    const auto has = [&fixture](const char* word) { return fixture.contains(QLatin1String(word)); };
    const report::ReportInput in{"Varnholt 1.0.0",
                                 "http://aasa.test/search.php?guid=",
                                 "http://aasa.test/report.php",
                                 Guid,
                                 "000123 \"Sniper & Co\" GUID=" + Guid + " [2026.12.06 10:00:00]",
                                 "http://10.1.2.3/pb/svss",
                                 has("plain") ? "" : "NTD Red",
                                 "/srv/varnholt/PBSS/vault/20261206100000pb000123.png",
                                 has("gone") ? "<html><body>Not 'here' & gone</body></html>" : Shown,
                                 has("ntd") ? std::nullopt : std::optional(QByteArray("\x89PNG\x00\xff", 6))};
    QFile expected(test::testDataPath(QStringLiteral("report/") + fixture));
    QVERIFY(expected.open(QIODevice::ReadOnly));
    QCOMPARE(report::buildReportPage(in), expected.readAll());
}

void TestReport::outcomes_data()
{
    QTest::addColumn<QByteArray>("reason");
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("warnings");
    QTest::newRow("reported, a further word")
        << QByteArray("aasa pbss wallhack") << Shown << int(Outcome::Written) << 2;
    QTest::newRow("gone, no warning") << QByteArray("Aimbot") << QByteArray("404") << int(Outcome::Written) << 0;
    QTest::newRow("already banned") << QByteArray("AASA pbss") << Shown << int(Outcome::AlreadyBanned) << 0;
    QTest::newRow("no shot file") << QByteArray("Aimbot") << Shown << int(Outcome::Nothing) << 0;
}

void TestReport::outcomes()
{
    QFETCH(QByteArray, reason);
    QFETCH(QByteArray, page);
    QFETCH(int, outcome);
    QFETCH(int, warnings);
    // the banlists and the screenshot page come from one local server; the browser is recorded
    test::TestWorkspace ws;
    test::LocalHttpServer server;
    app::AppCore core;
    QStringList started;
    ws.write(base::Paths::AasaBanlistFile, "AASA 1\r\n[x] " + Guid + " Sneaky 10.0.0.1 " + reason + "\r\n");
    ws.write(base::Paths::AciBanlistFile, "ACI 1\r\n[1] x\r\n");
    for (const QString& list : {base::Paths::AasaBanlistFile, base::Paths::AciBanlistFile})
        server.serve(QLatin1Char('/') + list, ws.read(list));
    server.serve(QStringLiteral("/pb/pb000123.htm"), page);
    const QByteArray url = server.url(QString()).toLatin1();
    ws.write(base::Paths::LinksFile, url + "/banlists/aasaprivbanguid.txt\r\n" + url + "/s?g=\r\n" + url +
                                         "/r\r\nt\r\np\r\n" + url + "/banlists/pbbans.txt");
    QDir().mkpath(ws.path(base::Paths::Temp));
    core.loadForEntryCommand(ws.base());
    for (const Setting on : {Setting::UseOwnBrowser, Setting::ReportOnAutoDetect, Setting::WarnReportResponsibility})
        core.settings().setValue(on, QStringLiteral("1"));
    core.settings().setValue(Setting::BrowserPath, QStringLiteral("/opt/browser"));
    core.browser().setStarter([&started](const QString& program, const QStringList& arguments) {
        started << program + QLatin1Char(' ') + arguments.join(QLatin1Char(' '));
        return true;
    });
    database::ScreenshotEntry& e = core.database().intakeSlot(1);
    e = test::sampleEntry(123);
    e.GUID = Guid;
    e.ServerURL = url + "/pb";
    e.IndexText = "000123 \"Sneaky\" GUID=" + Guid + " 2026.12.06 10:00:00";
    e.AutoDetected = "NTD Red";
    if (outcome == int(Outcome::Nothing))
        core.database().intakeSlot(1).ShotFile.clear();
    QSignalSpy warned(&core.aasaReport(), &report::AasaReport::warnResponsibility);
    // the automatic report of the detection, then the menu command: one file
    QVERIFY(core.entryStore().AddEntry(1));
    const report::AasaReport::Result result = core.aasaReport().MnuCreateAASAreport(1);
    QCOMPARE(int(result.outcome), outcome);
    QCOMPARE(warned.size(), warnings);
    const bool written = result.outcome == Outcome::Written;
    QCOMPARE(QDir(ws.path(base::Paths::Reports)).entryList(QDir::Files).size(), qsizetype(written));
    QCOMPARE(started,
             written ? QStringList(2, QStringLiteral("/opt/browser ") + QUrl::fromLocalFile(result.file).toString())
                     : QStringList());
    // the menu command checks both banlists before it fetches the screenshot's page
    const QString checks = QStringLiteral("/banlists/aasaprivbanguid.txt /banlists/pbbans.txt");
    const QString shot = QStringLiteral("/pb/pb000123.htm ");
    QCOMPARE(server.requests().join(QLatin1Char(' ')),
             written ? shot + checks + QLatin1Char(' ') + shot.trimmed() : checks);
}

QTEST_GUILESS_MAIN(TestReport)
#include "tst_report.moc"
