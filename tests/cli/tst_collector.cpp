#include "app/AppCore.h"
#include "cli/Collector.h"
#include "cli/WorkspaceCheck.h"
#include "util/FileSizeLimit.h"
#include "util/TestWorkspace.h"

#include <QBuffer>
#include <QDirIterator>
#include <QLockFile>
#include <QtTest>

#include <csignal>

using vh::app::AppCore;
using vh::cli::CliOptions;
using vh::cli::Collector;
using vh::cli::WorkspaceCheck;
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

    int run(QStringList arguments)
    {
        arguments.prepend(QStringLiteral("inventory"));
        arguments << QStringLiteral("--base-folder") << ws.base();
        const CliOptions options = CliOptions::parse(arguments);
        if (!options.error.isEmpty())
            return -1;
        return collector.runInventory(options, QStringLiteral("/usr/bin/varnholt-cli"));
    }

    int visits() const { return QString::fromUtf8(out.data()).count(QStringLiteral("Inventory started on : ")); }
    QString errors() const { return QString::fromUtf8(err.data()); }
};

} // namespace

class TestCollector : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void runs_data();
    void runs();
    void selection_data();
    void selection();
    void loopingIsForThisRunOnly_data();
    void loopingIsForThisRunOnly();
    void lockThatCannotBeWrittenSaysWhy();
};

void TestCollector::runs_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("visits");
    QTest::addColumn<QString>("error");   // a part of what went to the error stream
    QTest::addColumn<QString>("printed"); // a part of the log
    QTest::addColumn<bool>("unchanged");  // the workspace as it was; otherwise the shutdown saved
    const int bad = Collector::BadUsage;
    const int failure = Collector::Failure;
    const int success = Collector::Success;
    const auto row = [](const char* name, const char* setup, const char* arguments, int status, int visits,
                        const char* error, const char* printed, bool unchanged) {
        QTest::newRow(name) << QString::fromLatin1(setup) << QString::fromLatin1(arguments) << status << visits
                            << QString::fromLatin1(error) << QString::fromLatin1(printed) << unchanged;
    };
    row("base folder missing", "base nowhere", "", bad, 0, "does not exist", "", true);
    row("base folder is a file", "base plain.txt", "", bad, 0, "is not a folder", "", true);
    row("base folder without data folder", "base empty", "", bad, 0, "has no data folder", "", true);
    row("unknown map", "", "--map dusk --map Nowhere", bad, 0,
        "varnholt-cli: unknown map \"Nowhere\"; known: \"Dusk\", \"Bridge\"\n", "", true);
    row("unknown provider", "", "--provider Gamma", bad, 0,
        "varnholt-cli: unknown provider \"Gamma\"; known: \"Alpha Hosting\", \"Beta Net\"\n", "", true);
    row("another collector holds the lock", "locked", "", failure, 0, "another inventory is running", "", true);
    row("no server to visit", "no servers", "", failure, 0, "no server to visit", "", false);
    row("stop before the run", "stopped", "", success, 0, "SIGTERM: cancelling", "", false);
    row("leftover lock emptied by hand", "lock:", "", success, 3, "", "", false);
    row("leftover lock of garbage", "lock:\x01\xff not a lock\n", "", success, 3, "", "", false);
    row("leftover lock whose holder ended", "lock:2147483000\nvarnholt-cli\nhost\n", "", success, 3, "", "", false);
    row("saving the database fails", "unsaveable data/database.dat", "", failure, 3, "saving at shutdown failed",
        "Problems in Saving Database, error:", false);
    row("saving the server names fails", "unsaveable data/servers.dat", "", failure, 3, "saving at shutdown failed",
        "Problems in Saving Servers, error:", false);
}

void TestCollector::runs()
{
    QFETCH(QString, setup);
    QFETCH(QString, arguments);
    QFETCH(int, status);
    QFETCH(int, visits);
    QFETCH(QString, error);
    QFETCH(QString, printed);
    QFETCH(bool, unchanged);
    Run r(setup != QLatin1String("no servers"));
    QLockFile first(r.ws.path(Collector::LockFileName));
    if (setup == QLatin1String("locked"))
        QVERIFY(first.tryLock());
    if (setup.startsWith(QLatin1String("lock:")))
        r.ws.write(Collector::LockFileName, setup.mid(5).toLatin1());
    if (setup == QLatin1String("stopped"))
        r.collector.requestStop(SIGTERM);
    if (setup.startsWith(QLatin1String("unsaveable "))) {
        const QString file = setup.mid(11);
        connect(&r.core.inventory(), &vh::collect::Inventory::runningChanged, &r.collector, [&r, file](bool running) {
            // a folder where the file should go: the save at shutdown cannot replace it
            if (!running && QFile::remove(r.ws.path(file)))
                QDir(r.ws.base()).mkpath(file + QStringLiteral("/x"));
        });
    }
    r.ws.write(QStringLiteral("plain.txt"), "x");
    QDir(r.ws.base()).mkdir(QStringLiteral("empty"));
    const QStringList before = filesUnder(r.ws.base());

    if (setup.startsWith(QLatin1String("base "))) {
        CliOptions options = CliOptions::parse({QStringLiteral("inventory")});
        options.baseFolder = r.ws.path(setup.mid(5));
        QCOMPARE(r.collector.runInventory(options, QStringLiteral("/usr/bin/varnholt-cli")), status);
        QVERIFY(r.out.data().isEmpty());
    } else {
        QCOMPARE(r.run(arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts)), status);
    }
    QCOMPARE(r.visits(), visits);
    QVERIFY2(error.isEmpty() ? !r.errors().contains(QStringLiteral("varnholt-cli: ")) : r.errors().contains(error),
             qPrintable(r.errors()));
    QVERIFY(r.out.data().contains(printed.toUtf8()));
    if (unchanged) {
        QCOMPARE(filesUnder(r.ws.base()), before);
        return;
    }
    // the start-up ran, so the shutdown saved as the window's would
    QVERIFY(r.ws.exists(QStringLiteral("data/Settings.dat")));
    QVERIFY(!r.ws.exists(Collector::LockFileName));
    if (setup == QLatin1String("stopped"))
        QCOMPARE(r.ws.read(QStringLiteral("data/servers.dat")), Servers);
}

void TestCollector::selection_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("servers");
    const QString a1 = QStringLiteral("Alpha One AASA");
    const QString a2 = QStringLiteral("Alpha Two");
    const QString b1 = QStringLiteral("Beta One ACI");
    QTest::newRow("every provider and map") << QStringList{} << QStringList{a1, a2, b1};
    QTest::newRow("one map, other case") << QStringList{QStringLiteral("--map"), QStringLiteral("dusk")}
                                         << QStringList{a1, b1};
    QTest::newRow("two maps") << QStringList{QStringLiteral("--map=Dusk"), QStringLiteral("--map=Bridge")}
                              << QStringList{a1, a2, b1};
    QTest::newRow("one provider") << QStringList{QStringLiteral("--provider"), QStringLiteral("beta net")}
                                  << QStringList{b1};
    QTest::newRow("provider and map") << QStringList{QStringLiteral("--provider=Alpha Hosting"),
                                                     QStringLiteral("--map=Bridge")}
                                      << QStringList{a2};
    QTest::newRow("AASA names") << QStringList{QStringLiteral("--name-filter=aasa")} << QStringList{a1};
}

void TestCollector::selection()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, servers);
    Run r;
    r.core.workspace().setBaseFolder(r.ws.base());
    r.core.startupLoadLists();
    QCOMPARE(r.core.serverDiscovery().selectionModel().items().size(), std::size_t(0)); // the window's default
    arguments.prepend(QStringLiteral("inventory"));
    r.collector.applySelection(CliOptions::parse(arguments));
    QStringList names;
    for (const auto& item : r.core.serverDiscovery().selectionModel().items())
        names << item.name;
    QCOMPARE(names, servers);
}

void TestCollector::loopingIsForThisRunOnly_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("loop");
    QTest::newRow("--loop over a stored 0") << QByteArray("0") << true;
    QTest::newRow("one pass over a stored 1") << QByteArray("1") << false;
}

void TestCollector::loopingIsForThisRunOnly()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, loop);
    Run r;
    r.ws.write(QStringLiteral("data/Settings.dat"), "s1:0\r\ns15:2\r\ns20:" + stored + "\r\n");
    int visits = 0;
    connect(&r.core.inventory(), &vh::collect::Inventory::visitStarted, &r.collector, [&] {
        // a looping run has to be stopped; one that should not loop is stopped too, and fails below
        if (++visits == 5)
            r.collector.requestStop(SIGINT);
    });
    QCOMPARE(r.run(loop ? QStringList{QStringLiteral("--loop")} : QStringList{}), int(Collector::Success));
    QCOMPARE(r.visits(), visits);
    if (loop) {
        QCOMPARE(visits, 5);
        QVERIFY(r.errors().contains(QStringLiteral("cancelling the inventory")));
    } else {
        QCOMPARE(visits, 3);
    }
    QVERIFY(r.ws.read(QStringLiteral("data/Settings.dat")).contains("\r\ns20:" + stored + "\r\n"));
    QVERIFY(!r.ws.exists(Collector::LockFileName));
}

void TestCollector::lockThatCannotBeWrittenSaysWhy()
{
    Run r;
    int status = 0;
    {
        // a full disk: the lock file can be made, its first byte cannot be written
        vh::test::FileSizeLimit full(0);
        if (!full.active())
            QSKIP("no file size limit on this system");
        status = r.run({});
    }
    QCOMPARE(status, int(Collector::Failure));
    QVERIFY2(r.errors().contains(QStringLiteral("cannot write the lock file")), qPrintable(r.errors()));
    QVERIFY(!r.errors().contains(QStringLiteral("another inventory")));
    QVERIFY(!r.ws.exists(Collector::LockFileName));
}

QTEST_GUILESS_MAIN(TestCollector)
#include "tst_collector.moc"
