#include "app/AppCore.h"
#include "cli/Collector.h"
#include "util/FileSizeLimit.h"
#include "util/TestWorkspace.h"

#include <QBuffer>
#include <QDirIterator>
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

QStringList filesUnder(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next().mid(folder.size());
    files.sort();
    return files;
}

struct Run
{
    TestWorkspace ws;
    AppCore core;
    QBuffer out;
    QBuffer err;
    Collector collector{core, out, err, {}};

    explicit Run(bool withServers = true)
    {
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        core.flags().MinimumPassMs = 100; // the visits fail at once; a looping run waits this long per pass
        ws.write(QStringLiteral("data/ipranges.dat"), Ranges);
        if (withServers)
            ws.write(QStringLiteral("data/servers.dat"), Servers);
    }

    // arguments: separated by semicolons
    int run(const QString& arguments)
    {
        const QStringList list = QStringList{QStringLiteral("inventory"), QStringLiteral("--base-folder"), ws.base()} +
                                 arguments.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        return collector.runInventory(CliOptions::parse(list), QStringLiteral("/usr/bin/varnholt-cli"));
    }

    // The servers visited, in turn.
    QStringList visited() const
    {
        QStringList names;
        const QRegularExpression started(QStringLiteral("Inventory started on : (.*)$"),
                                         QRegularExpression::MultilineOption);
        for (const auto& m : started.globalMatch(QString::fromUtf8(out.data())))
            names << m.captured(1);
        return names;
    }
    QString errors() const { return QString::fromUtf8(err.data()); }
};

} // namespace

class TestCollector : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void runs_data();
    void runs();
    void loopingIsNotStored();
};

void TestCollector::runs_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("visited"); // the servers, joined with |
    QTest::addColumn<QString>("error");   // a part of what went to the error stream
    QTest::addColumn<bool>("unchanged");  // the workspace as it was; otherwise the shutdown saved
    const int bad = Collector::BadUsage;
    const int failure = Collector::Failure;
    const int success = Collector::Success;
    const auto row = [](const char* name, const char* setup, const char* arguments, int status, const char* visited,
                        const char* error, bool unchanged) {
        QTest::newRow(name) << QString::fromLatin1(setup) << QString::fromLatin1(arguments) << status
                            << QString::fromLatin1(visited) << QString::fromLatin1(error) << unchanged;
    };
    const char* all = "Alpha One AASA|Alpha Two|Beta One ACI";
    row("every provider and map", "", "", success, all, "", false);
    row("one map, other case", "", "--map;dusk", success, "Alpha One AASA|Beta One ACI", "", false);
    row("provider and map", "", "--provider=Alpha Hosting;--map=Bridge", success, "Alpha Two", "", false);
    row("AASA names", "", "--name-filter=aasa", success, "Alpha One AASA", "", false);
    row("unknown map", "", "--map;dusk;--map;Nowhere", bad, "",
        "varnholt-cli: unknown map \"Nowhere\"; known: \"Dusk\", \"Bridge\"\n", true);
    row("another collector holds the lock", "locked", "", failure, "", "another inventory is running", true);
    row("a full disk: the lock cannot be written", "full disk", "", failure, "", "cannot write the lock file", true);
    row("no server to visit", "no servers", "", failure, "", "no server to visit", false);
    row("leftover lock whose holder ended", "lock:2147483000\nvarnholt-cli\nhost\n", "", success, all, "", false);
    row("saving the database fails", "unsaveable data/database.dat", "", failure, all, "saving at shutdown failed",
        false);
}

void TestCollector::runs()
{
    QFETCH(QString, setup);
    QFETCH(QString, arguments);
    QFETCH(int, status);
    QFETCH(QString, visited);
    QFETCH(QString, error);
    QFETCH(bool, unchanged);
    Run r(setup != QLatin1String("no servers"));
    QLockFile first(r.ws.path(Collector::LockFileName));
    if (setup == QLatin1String("locked"))
        QVERIFY(first.tryLock());
    if (setup.startsWith(QLatin1String("lock:")))
        r.ws.write(Collector::LockFileName, setup.mid(5).toLatin1());
    if (setup.startsWith(QLatin1String("unsaveable "))) {
        const QString file = setup.mid(11);
        connect(&r.core.inventory(), &vh::collect::Inventory::runningChanged, &r.collector, [&r, file](bool running) {
            // a folder where the file should go: the save at shutdown cannot replace it
            if (!running && QFile::remove(r.ws.path(file)))
                QDir(r.ws.base()).mkpath(file + QStringLiteral("/x"));
        });
    }
    const QStringList before = filesUnder(r.ws.base());
    std::optional<vh::test::FileSizeLimit> full; // the lock file can be made, its first byte cannot be written
    if (setup == QLatin1String("full disk")) {
        full.emplace(0);
        if (!full->active())
            QSKIP("no file size limit on this system");
    }
    const int got = r.run(arguments);
    full.reset();

    QCOMPARE(got, status);
    QCOMPARE(r.visited().join(QLatin1Char('|')), visited);
    QVERIFY2(error.isEmpty() ? !r.errors().contains(QStringLiteral("varnholt-cli: ")) : r.errors().contains(error),
             qPrintable(r.errors()));
    if (unchanged) {
        QCOMPARE(filesUnder(r.ws.base()), before);
        return;
    }
    // the start-up ran, so the shutdown saved as the window's would
    QVERIFY(r.ws.exists(QStringLiteral("data/Settings.dat")));
    QVERIFY(!r.ws.exists(Collector::LockFileName));
}

void TestCollector::loopingIsNotStored()
{
    Run r;
    r.ws.write(QStringLiteral("data/Settings.dat"), "s1:0\r\ns15:2\r\ns20:0\r\n");
    int visits = 0;
    connect(&r.core.inventory(), &vh::collect::Inventory::visitStarted, &r.collector, [&] {
        if (++visits == 5)
            r.collector.requestStop(SIGINT);
    });
    QCOMPARE(r.run(QStringLiteral("--loop")), int(Collector::Success));
    QCOMPARE(r.visited().size(), 5);
    QVERIFY(r.ws.read(QStringLiteral("data/Settings.dat")).contains("\r\ns20:0\r\n"));
    QVERIFY(!r.ws.exists(Collector::LockFileName));
}

QTEST_GUILESS_MAIN(TestCollector)
#include "tst_collector.moc"
