#include "app/AppCore.h"
#include "cli/Collector.h"
#include "util/FileSizeLimit.h"
#include "util/TestWorkspace.h"

#include <QBuffer>
#include <QLockFile>
#include <QtTest>

#include <optional>

#include <csignal>

using vh::app::AppCore;
using vh::cli::CliOptions;
using vh::cli::Collector;
using vh::test::TestWorkspace;

namespace {

// Page addresses on a port nobody listens on: every visit ends at once, and no traffic leaves the machine.
const QByteArray Ranges = "Provider:Alpha Hosting\r\n"
                          "Providerpath:http://127.0.0.1:1/%ip%/pbsvss.htm\r\n"
                          "Range:10.0.0.1-1\r\n"
                          "Provider:Beta Net\r\n"
                          "Providerpath:http://127.0.0.1:1/%ip%/pbsvss.htm\r\n"
                          "Range:10.0.1.1-0\r\n";
const QByteArray Servers = "Alpha One AASA\r\n10.0.0.1\r\nDusk\r\n"
                           "Alpha Two\r\n10.0.0.2\r\nBridge\r\n"
                           "Beta One ACI\r\n10.0.1.1\r\nDusk\r\n";

} // namespace

class TestCollector : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void runs_data();
    void runs();
};

void TestCollector::runs_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("visited"); // the servers, joined with |
    QTest::addColumn<QString>("error");   // a part of what went to the error stream
    QTest::addColumn<bool>("startedUp");  // the start-up ran, so the shutdown saved
    const int bad = Collector::BadUsage;
    const int failure = Collector::Failure;
    const int success = Collector::Success;
    const auto row = [](const char* name, const char* setup, const char* arguments, int status, const char* visited,
                        const char* error, bool startedUp) {
        QTest::newRow(name) << QString::fromLatin1(setup) << QString::fromLatin1(arguments) << status
                            << QString::fromLatin1(visited) << QString::fromLatin1(error) << startedUp;
    };
    const char* all = "Alpha One AASA|Alpha Two|Beta One ACI";
    row("every provider and map", "", "", success, all, "", true);
    row("provider and map, other case", "", "--provider=alpha hosting;--map;bridge", success, "Alpha Two", "", true);
    row("AASA names", "", "--name-filter=aasa", success, "Alpha One AASA", "", true);
    row("unknown map", "", "--map=dusk;--map;Nowhere", bad, "",
        "varnholt-cli: unknown map \"Nowhere\"; known: \"Dusk\", \"Bridge\"\n", false);
    row("another collector holds the lock", "locked", "", failure, "", "another inventory is running", false);
    row("a full disk: the lock cannot be written", "full disk", "", failure, "", "cannot write the lock file", false);
    row("no server to visit", "no servers", "", failure, "", "no server to visit", true);
    row("leftover lock whose holder ended", "lock:2147483000\nvarnholt-cli\nhost\n", "", success, all, "", true);
    row("saving the database fails", "unsaveable data/database.dat", "", failure, all, "saving at shutdown failed",
        true);
    row("looping, stopped in the second pass", "loop", "--loop", success,
        "Alpha One AASA|Alpha Two|Beta One ACI|Alpha One AASA|Alpha Two", "interrupted: cancelling the inventory",
        true);
}

void TestCollector::runs()
{
    QFETCH(QString, setup);
    QFETCH(QString, arguments);
    QFETCH(int, status);
    QFETCH(QString, visited);
    QFETCH(QString, error);
    QFETCH(bool, startedUp);
    TestWorkspace ws;
    AppCore core;
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    Collector collector{core, out, err, {}};
    core.flags().MinimumPassMs = 100; // the visits fail at once; a looping run waits this long per pass
    ws.write(QStringLiteral("data/ipranges.dat"), Ranges);
    if (setup != QLatin1String("no servers"))
        ws.write(QStringLiteral("data/servers.dat"), Servers);
    QLockFile first(ws.path(Collector::LockFileName));
    if (setup == QLatin1String("locked"))
        QVERIFY(first.tryLock());
    if (setup.startsWith(QLatin1String("lock:")))
        ws.write(Collector::LockFileName, setup.mid(5).toLatin1());
    if (setup.startsWith(QLatin1String("unsaveable "))) {
        const QString file = setup.mid(11);
        connect(&core.inventory(), &vh::collect::Inventory::runningChanged, &collector, [&ws, file](bool running) {
            // a folder where the file should go: the save at shutdown cannot replace it
            if (!running && QFile::remove(ws.path(file)))
                QDir(ws.base()).mkpath(file + QStringLiteral("/x"));
        });
    }
    int visits = 0;
    if (setup == QLatin1String("loop")) {
        ws.write(QStringLiteral("data/Settings.dat"), "s1:0\r\ns15:2\r\ns20:0\r\n");
        connect(&core.inventory(), &vh::collect::Inventory::visitStarted, &collector, [&] {
            if (++visits == 5)
                collector.requestStop(SIGINT);
        });
    }
    std::optional<vh::test::FileSizeLimit> full; // the lock file can be made, its first byte cannot be written
    if (setup == QLatin1String("full disk")) {
        full.emplace(0);
        if (!full->active())
            QSKIP("no file size limit on this system");
    }
    const QStringList options = QStringList{QStringLiteral("inventory"), QStringLiteral("--base-folder"), ws.base()} +
                                arguments.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    const int got = collector.runInventory(CliOptions::parse(options), QStringLiteral("/usr/bin/varnholt-cli"));
    full.reset();

    QCOMPARE(got, status);
    QStringList names;
    const QRegularExpression started(QStringLiteral("Inventory started on : (.*)$"),
                                     QRegularExpression::MultilineOption);
    for (const auto& m : started.globalMatch(QString::fromUtf8(out.data())))
        names << m.captured(1);
    QCOMPARE(names.join(QLatin1Char('|')), visited);
    QVERIFY2(error.isEmpty() ? !err.data().contains("varnholt-cli: ") : err.data().contains(error.toUtf8()),
             err.data().constData());
    QCOMPARE(ws.exists(QStringLiteral("data/Settings.dat")), startedUp);
    // the command line's looping is for this run only: the user's setting is saved as it was
    if (setup == QLatin1String("loop"))
        QVERIFY(ws.read(QStringLiteral("data/Settings.dat")).contains("\r\ns20:0\r\n"));
    // the lock ends with the run; a refused run leaves none behind, and the other collector's stays
    QCOMPARE(ws.exists(Collector::LockFileName), setup == QLatin1String("locked"));
}

QTEST_GUILESS_MAIN(TestCollector)
#include "tst_collector.moc"
