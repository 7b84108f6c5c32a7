#include "cli/ExportCommand.h"
#include "database/Database.h"
#include "database/DatabaseExport.h"
#include "database/DatabaseFile.h"
#include "util/SampleEntries.h"
#include "util/TestWorkspace.h"

#include <QBuffer>
#include <QDirIterator>
#include <QtTest>

using vh::cli::CliOptions;
using vh::cli::ExportCommand;
using vh::database::Database;
using vh::test::TestWorkspace;

namespace {

Database sampleDatabase(int n)
{
    Database db;
    for (int i = 1; i <= n; ++i)
        db.append(vh::test::sampleEntry(i));
    return db;
}

// Every file with its size and time, to see that an export changed nothing.
QStringList snapshot(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        files << it.filePath() + QLatin1Char(' ') + QString::number(it.fileInfo().size()) + QLatin1Char(' ') +
                     QString::number(it.fileInfo().lastModified().toMSecsSinceEpoch());
    }
    files.sort();
    return files;
}

struct Export
{
    TestWorkspace ws;
    QBuffer out;
    QBuffer err;

    Export()
    {
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
    }
    int run(QStringList arguments)
    {
        arguments.prepend(QStringLiteral("export"));
        arguments << QStringLiteral("--base-folder") << ws.base();
        return ExportCommand::run(CliOptions::parse(arguments), QStringLiteral("/usr/bin/varnholt-cli"), out, err);
    }
};

} // namespace

class TestExportCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exportsEveryEntry_data();
    void exportsEveryEntry();
    void damagedDatabaseExportsIntactEntriesAndFails();
    void badBaseFolder();
    void unwritableOutputFails();
};

void TestExportCommand::exportsEveryEntry_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<bool>("json");
    QTest::addColumn<bool>("toFile");
    QTest::newRow("CSV to standard output") << 3 << false << false;
    QTest::newRow("JSON to a file") << 3 << true << true;
    QTest::newRow("no database file yet") << -1 << true << false;
}

void TestExportCommand::exportsEveryEntry()
{
    QFETCH(int, entries);
    QFETCH(bool, json);
    QFETCH(bool, toFile);
    Export e;
    const Database db = sampleDatabase(qMax(entries, 0));
    if (entries >= 0)
        e.ws.write(QStringLiteral("data/database.dat"), vh::database::DatabaseFile::serialize(db));
    QTemporaryDir outDir;
    const QString outFile = outDir.filePath(QStringLiteral("entries.out"));
    if (toFile)
        QVERIFY(QFile(outFile).open(QIODevice::WriteOnly)); // an old export is replaced
    const QStringList before = snapshot(e.ws.base());

    QStringList arguments{QStringLiteral("--format"), json ? QStringLiteral("json") : QStringLiteral("csv")};
    if (toFile)
        arguments << QStringLiteral("--output") << outFile;
    QCOMPARE(e.run(arguments), 0);

    const QByteArray expected = json ? vh::database::exportJson(db) : vh::database::exportCsv(db);
    QFile written(outFile);
    QCOMPARE(toFile ? (written.open(QIODevice::ReadOnly), written.readAll()) : e.out.data(), expected);
    if (toFile)
        QVERIFY(e.out.data().isEmpty());
    QVERIFY(e.err.data().isEmpty());
    QCOMPARE(snapshot(e.ws.base()), before);
}

void TestExportCommand::damagedDatabaseExportsIntactEntriesAndFails()
{
    Export e;
    const QByteArray bytes = vh::database::DatabaseFile::serialize(sampleDatabase(3));
    e.ws.write(QStringLiteral("data/database.dat"), bytes.left(bytes.size() - 5));
    const QStringList before = snapshot(e.ws.base());
    QCOMPARE(e.run({}), 1);
    QCOMPARE(e.out.data(), vh::database::exportCsv(sampleDatabase(2)));
    QVERIFY2(e.err.data().startsWith("varnholt-cli: ") && e.err.data().contains("damaged at entry 3"),
             e.err.data().constData());
    // the window keeps a damaged file aside; an export only reads
    QCOMPARE(snapshot(e.ws.base()), before);
}

void TestExportCommand::badBaseFolder()
{
    Export e;
    QVERIFY(QDir(e.ws.path(QStringLiteral("data"))).removeRecursively());
    QCOMPARE(e.run({}), 2);
    QVERIFY(e.err.data().contains("has no data folder"));
    QVERIFY(e.out.data().isEmpty());
}

void TestExportCommand::unwritableOutputFails()
{
    Export e;
    e.ws.write(QStringLiteral("data/database.dat"), vh::database::DatabaseFile::serialize(sampleDatabase(1)));
    QCOMPARE(e.run({QStringLiteral("-o"), e.ws.path(QStringLiteral("missing/folder/out.csv"))}), 1);
    QVERIFY2(e.err.data().startsWith("varnholt-cli: cannot write "), e.err.data().constData());
}

QTEST_GUILESS_MAIN(TestExportCommand)
#include "tst_exportcommand.moc"
