#include "app/AppCore.h"
#include "base/Paths.h"
#include "database/DatabaseFile.h"
#include "util/SampleEntries.h"
#include "util/TestWorkspace.h"

#include <QtTest>

using namespace vh;

class TestDatabaseStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startupPurgesAndShutdownSaves();
};

void TestDatabaseStartup::startupPurgesAndShutdownSaves()
{
    test::TestWorkspace ws;
    database::Database five;
    for (int i = 1; i <= 5; ++i) {
        five.append(test::sampleEntry(i));
        if (i != 2 && i != 4)
            ws.write(base::Paths::Vault + QLatin1Char('/') + QString::fromLatin1(test::sampleEntry(i).VaultName) +
                         QStringLiteral(".png"),
                     "png");
    }
    ws.write(base::Paths::DatabaseFile, database::DatabaseFile::serialize(five));

    app::AppCore core;
    core.startupLoad(QStringLiteral("/nowhere/other-name"), ws.base());
    QCOMPARE(core.database().EntryCount(), 5);
    core.startupLoadLists();
    QCOMPARE(core.database().EntryCount(), 3);
    QCOMPARE(core.database().entry(2), test::sampleEntry(3));

    core.database().entry(1).Cheating = true;
    core.ShutDown();
    database::Database saved;
    QVERIFY(database::DatabaseFile::parse(ws.read(base::Paths::DatabaseFile), saved).ok());
    QCOMPARE(saved.EntryCount(), 3);
    QVERIFY(saved.entry(1).Cheating);
    QCOMPARE(saved.entry(3), test::sampleEntry(5));
}

QTEST_GUILESS_MAIN(TestDatabaseStartup)
#include "tst_databasestartup.moc"
