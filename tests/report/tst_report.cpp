#include "app/AppCore.h"
#include "base/Paths.h"
#include "report/ReportPage.h"
#include "util/HeadlessChromium.h"
#include "util/LocalHttpServer.h"
#include "util/LogLines.h"
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
const QByteArray Planted =
    "</textarea><script>document.title='PWNED'+'X'</script><img src=/no onerror=\"document.title='PWNED'+'X'\">";

// A workspace whose banlists and screenshot pages come from one local server; the browser is recorded.
struct Fixture
{
    test::TestWorkspace ws;
    test::LocalHttpServer server;
    app::AppCore core;
    QStringList started;

    Fixture(const QByteArray& reason, const QByteArray& page, const QByteArray& indexText = "\"Sneaky\" GUID=" + Guid)
    {
        const QByteArray aasa = "AASA 1\r\n[x] " + Guid + " Sneaky 10.0.0.1 " + reason + "\r\n";
        for (const auto& [path, body] : {std::pair(base::Paths::AasaBanlistFile, aasa),
                                         std::pair(base::Paths::AciBanlistFile, QByteArray("ACI 1\r\n[1] x\r\n"))}) {
            ws.write(path, body);
            server.serve(QLatin1Char('/') + path, body);
        }
        server.serve(QStringLiteral("/pb/pb000123.htm"), page);
        ws.write(base::Paths::LinksFile, server.url(QLatin1Char('/') + base::Paths::AasaBanlistFile).toLatin1() +
                                             "\r\n" + server.url(QStringLiteral("/s?g=")).toLatin1() + "\r\n" +
                                             server.url(QStringLiteral("/r")).toLatin1() + "\r\nt\r\np\r\n" +
                                             server.url(QLatin1Char('/') + base::Paths::AciBanlistFile).toLatin1());
        QDir().mkpath(ws.path(base::Paths::Temp));
        core.loadForEntryCommand(ws.base());
        core.settings().setValue(Setting::UseOwnBrowser, QStringLiteral("1"));
        core.settings().setValue(Setting::BrowserPath, QStringLiteral("/opt/browser"));
        core.browser().setStarter([this](const QString& program, const QStringList& arguments) {
            started << program + QLatin1Char(' ') + arguments.join(QLatin1Char(' '));
            return true;
        });
        database::ScreenshotEntry e = test::sampleEntry(123);
        e.GUID = Guid;
        e.ServerURL = server.url(QStringLiteral("/pb")).toLatin1();
        e.IndexText = "000123 " + indexText + " 2026.12.06 10:00:00";
        core.database().intakeSlot(1) = e;
    }
    QStringList reports() const { return QDir(ws.path(base::Paths::Reports)).entryList(QDir::Files); }
};

} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pageBytes_data();
    void pageBytes();
    void outcomes_data();
    void outcomes();
    void menuChecksBanlistsFirstAndDetectionReports();
    void openedInHeadlessChromium();
};

void TestReport::pageBytes_data()
{
    QTest::addColumn<QByteArray>("autoDetected");
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<bool>("png");
    QTest::addColumn<QString>("fixture");
    QTest::newRow("plain, with the hashes") << QByteArray() << Shown << true << "report-plain.htm";
    QTest::newRow("NTD Red, no PNG") << QByteArray("NTD Red") << Shown << false << "report-ntd-red.htm";
    QTest::newRow("gone") << QByteArray("NTD Red") << QByteArray("<html><body>Not 'here' & gone</body></html>") << true
                          << "report-gone.htm";
}

void TestReport::pageBytes()
{
    QFETCH(QByteArray, autoDetected);
    QFETCH(QByteArray, page);
    QFETCH(bool, png);
    QFETCH(QString, fixture);
    const report::ReportInput in{"Varnholt 1.0.0",
                                 "http://aasa.test/search.php?guid=",
                                 "http://aasa.test/report.php",
                                 Guid,
                                 "000123 \"Sniper & Co\" GUID=" + Guid + " [2026.12.06 10:00:00]",
                                 "http://10.1.2.3/pb/svss",
                                 autoDetected,
                                 "/srv/varnholt/PBSS/vault/20261206100000pb000123.png",
                                 page,
                                 png ? std::optional(QByteArray("\x89PNG\x00\xff", 6)) : std::nullopt};
    QFile expected(test::testDataPath(QStringLiteral("report/") + fixture));
    QVERIFY(expected.open(QIODevice::ReadOnly));
    QCOMPARE(report::buildReportPage(in), expected.readAll());
}

void TestReport::outcomes_data()
{
    QTest::addColumn<QByteArray>("reason");
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("warn");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("warnings");
    QTest::newRow("warned") << QByteArray("Aimbot") << Shown << "1" << int(Outcome::Written) << 2;
    QTest::newRow("not warned") << QByteArray("aasa pbss wallhack") << Shown << "0" << int(Outcome::Written) << 0;
    QTest::newRow("gone") << QByteArray("Aimbot") << QByteArray("404") << "1" << int(Outcome::Written) << 0;
    QTest::newRow("already banned") << QByteArray("AASA pbss") << Shown << "1" << int(Outcome::AlreadyBanned) << 0;
    QTest::newRow("no shot file") << QByteArray("Aimbot") << Shown << "1" << int(Outcome::Nothing) << 0;
}

void TestReport::outcomes()
{
    QFETCH(QByteArray, reason);
    QFETCH(QByteArray, page);
    QFETCH(QString, warn);
    QFETCH(int, outcome);
    QFETCH(int, warnings);
    Fixture f(reason, page);
    f.core.settings().setValue(Setting::WarnReportResponsibility, warn);
    if (outcome == int(Outcome::Nothing))
        f.core.database().intakeSlot(1).ShotFile.clear();
    f.core.database().append(f.core.database().intakeSlot(1));
    QSignalSpy warned(&f.core.aasaReport(), &report::AasaReport::warnResponsibility);
    // two reports of one screenshot leave one file
    f.core.aasaReport().CreateAasaReport(1);
    const report::AasaReport::Result result = f.core.aasaReport().CreateAasaReport(1);
    QCOMPARE(int(result.outcome), outcome);
    QCOMPARE(warned.size(), warnings);
    const bool written = result.outcome == Outcome::Written;
    QCOMPARE(f.reports().size(), written ? 1 : 0);
    QCOMPARE(f.started,
             written ? QStringList(2, QStringLiteral("/opt/browser ") + QUrl::fromLocalFile(result.file).toString())
                     : QStringList());
    QCOMPARE(test::logMessages(f.core.log())
                 .count(QStringLiteral("          Already Banned by AASA as: Sneaky, "
                                       "Reason: AASA pbss, report not Created")),
             written ? 0 : 2 * (outcome == int(Outcome::AlreadyBanned)));
}

void TestReport::menuChecksBanlistsFirstAndDetectionReports()
{
    Fixture f("Aimbot", Shown);
    f.core.settings().setValue(Setting::ReportOnAutoDetect, QStringLiteral("1"));
    f.core.database().intakeSlot(1).AutoDetected = "NTD Red";
    QVERIFY(f.core.entryStore().AddEntry(1));
    QCOMPARE(f.reports().size(), 1);
    QCOMPARE(f.core.aasaReport().MnuCreateAASAreport(1).outcome, Outcome::Written);
    QCOMPARE(f.server.requests(),
             QStringList({QStringLiteral("/pb/pb000123.htm"), QStringLiteral("/banlists/aasaprivbanguid.txt"),
                          QStringLiteral("/banlists/pbbans.txt"), QStringLiteral("/pb/pb000123.htm")}));
}

void TestReport::openedInHeadlessChromium()
{
    if (test::HeadlessChromium::executable().isEmpty())
        QSKIP("chromium is not installed (tools/install-deps.sh installs it)");
    for (const QByteArray& page : {Shown, "gone " + Planted}) {
        Fixture f("Aimbot", page, "\"" + Planted + "\" GUID=" + Guid);
        f.server.serve(QStringLiteral("/pb/pb000123.png"), "png", 0, "image/png");
        f.core.database().append(f.core.database().intakeSlot(1));
        QString error;
        const QByteArray dom = test::HeadlessChromium::dumpDom(
            QUrl::fromLocalFile(f.core.aasaReport().CreateAasaReport(1).file).toString(), &error);
        QVERIFY2(dom.contains("&lt;script&gt;document.title='PWNED'+'X'&lt;/script&gt;"),
                 qPrintable(error + QString::fromUtf8(dom)));
        QVERIFY2(!dom.contains("PWNEDX") && !dom.contains("<script"), dom.constData());
        if (page == Shown) {
            QCOMPARE(f.server.hits(QStringLiteral("/pb/pb000123.png")), 1);
            QVERIFY(dom.contains("Step 1: Click <a href=\"" + f.server.url(QStringLiteral("/s?g=")).toLatin1() + Guid +
                                 "\" target=\"_blank\">here</a>"));
            QVERIFY(dom.contains("Step 2: Post the report below <a href=\"" +
                                 f.server.url(QStringLiteral("/r")).toLatin1()));
            QVERIFY(dom.contains("Path to PNG on Local: " + f.ws.path(base::Paths::Vault).toUtf8() + '/'));
        }
    }
}

QTEST_GUILESS_MAIN(TestReport)
#include "tst_report.moc"
