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
    void badBaseFolderWritesNothing_data();
    void badBaseFolderWritesNothing();
    void unknownNamesWriteNothing_data();
    void unknownNamesWriteNothing();
    void selection_data();
    void selection();
    void loopingIsForThisRunOnly_data();
    void loopingIsForThisRunOnly();
    void stopBeforeTheRunStillShutsDown();
    void emptySelectionFails();
    void secondCollectorIsRefused();
    void leftoverLockIsTakenOver_data();
    void leftoverLockIsTakenOver();
    void lockThatCannotBeWrittenSaysWhy();
    void failedSaveIsNoSuccess_data();
    void failedSaveIsNoSuccess();
};

void TestCollector::badBaseFolderWritesNothing_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << QStringLiteral("nowhere") << QStringLiteral("does not exist");
    QTest::newRow("a file") << QStringLiteral("plain.txt") << QStringLiteral("is not a folder");
    QTest::newRow("without data folder") << QStringLiteral("empty") << QStringLiteral("has no data folder");
}

void TestCollector::badBaseFolderWritesNothing()
{
    QFETCH(QString, relative);
    QFETCH(QString, message);
    Run r;
    r.ws.write(QStringLiteral("plain.txt"), "x");
    QDir(r.ws.base()).mkdir(QStringLiteral("empty"));
    const QStringList before = filesUnder(r.ws.base());

    CliOptions options = CliOptions::parse({QStringLiteral("inventory")});
    options.baseFolder = r.ws.path(relative);
    QCOMPARE(r.collector.runInventory(options, QStringLiteral("/usr/bin/varnholt-cli")), int(Collector::BadUsage));
    QVERIFY2(r.errors().startsWith(QStringLiteral("varnholt-cli: ")) && r.errors().contains(message),
             qPrintable(r.errors()));
    QCOMPARE(filesUnder(r.ws.base()), before);
    QVERIFY(r.out.data().isEmpty());
}

void TestCollector::unknownNamesWriteNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("map") << QStringList{QStringLiteral("--map"), QStringLiteral("dusk"), QStringLiteral("--map"),
                                        QStringLiteral("Nowhere")}
                         << QStringLiteral("unknown map \"Nowhere\"; known: \"Dusk\", \"Bridge\"");
    QTest::newRow("provider") << QStringList{QStringLiteral("--provider"), QStringLiteral("Gamma")}
                              << QStringLiteral("unknown provider \"Gamma\"; known: \"Alpha Hosting\", \"Beta Net\"");
}

void TestCollector::unknownNamesWriteNothing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    Run r;
    const QStringList before = filesUnder(r.ws.base());
    QCOMPARE(r.run(arguments), int(Collector::BadUsage));
    QCOMPARE(r.errors(), QStringLiteral("varnholt-cli: ") + message + QLatin1Char('\n'));
    QCOMPARE(filesUnder(r.ws.base()), before);
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

void TestCollector::stopBeforeTheRunStillShutsDown()
{
    Run r;
    r.collector.requestStop(SIGTERM);
    QCOMPARE(r.run({}), int(Collector::Success));
    QCOMPARE(r.visits(), 0);
    QVERIFY(r.errors().contains(QStringLiteral("SIGTERM: cancelling")));
    QVERIFY(r.ws.exists(QStringLiteral("data/database.dat")));
    QVERIFY(r.ws.exists(QStringLiteral("data/Settings.dat")));
    QCOMPARE(r.ws.read(QStringLiteral("data/servers.dat")), Servers);
}

void TestCollector::emptySelectionFails()
{
    Run r(false);
    QCOMPARE(r.run({}), int(Collector::Failure));
    QVERIFY2(r.errors().contains(QStringLiteral("no server to visit")), qPrintable(r.errors()));
    // the start-up ran, so the shutdown saves as the window's would
    QVERIFY(r.ws.exists(QStringLiteral("data/Settings.dat")));
}

void TestCollector::secondCollectorIsRefused()
{
    Run r;
    QLockFile first(r.ws.path(Collector::LockFileName));
    QVERIFY(first.tryLock());
    const QStringList before = filesUnder(r.ws.base());
    QCOMPARE(r.run({}), int(Collector::Failure));
    QVERIFY2(r.errors().contains(QStringLiteral("another inventory is running")), qPrintable(r.errors()));
    QCOMPARE(filesUnder(r.ws.base()), before);
}

void TestCollector::leftoverLockIsTakenOver_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("emptied by hand") << QByteArray();
    QTest::newRow("garbage") << QByteArray("\x01\xff not a lock\n");
    QTest::newRow("holder ended") << QByteArray("2147483000\nvarnholt-cli\nhost\n");
}

void TestCollector::leftoverLockIsTakenOver()
{
    QFETCH(QByteArray, content);
    Run r;
    r.ws.write(Collector::LockFileName, content);
    QCOMPARE(r.run({}), int(Collector::Success));
    QCOMPARE(r.visits(), 3);
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

void TestCollector::failedSaveIsNoSuccess_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("logged");
    QTest::newRow("database") << QStringLiteral("data/database.dat")
                              << QByteArray("Problems in Saving Database, error:");
    QTest::newRow("server names") << QStringLiteral("data/servers.dat")
                                  << QByteArray("Problems in Saving Servers, error:");
}

void TestCollector::failedSaveIsNoSuccess()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, logged);
    Run r;
    connect(&r.core.inventory(), &vh::collect::Inventory::runningChanged, &r.collector, [&](bool running) {
        // a folder where the file should go: the save at shutdown cannot replace it
        if (!running && QFile::remove(r.ws.path(file)))
            QDir(r.ws.base()).mkpath(file + QStringLiteral("/x"));
    });
    QCOMPARE(r.run({}), int(Collector::Failure));
    QCOMPARE(r.visits(), 3);
    QVERIFY2(r.errors().contains(QStringLiteral("saving at shutdown failed")), qPrintable(r.errors()));
    QVERIFY(r.out.data().contains(logged));
}

QTEST_GUILESS_MAIN(TestCollector)
#include "tst_collector.moc"
