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

} // namespace

class TestExportCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void run_data();
    void run();
};

void TestExportCommand::run_data()
{
    QTest::addColumn<QString>("database"); // "3 entries", "damaged", "none" or "no data folder"
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("exported"); // entries written to the output, -1: nothing
    QTest::addColumn<QString>("error");
    const auto row = [](const char* name, const char* database, const char* arguments, int exitCode, int exported,
                        const char* error) {
        QTest::newRow(name) << QString::fromUtf8(database) << QString::fromUtf8(arguments) << exitCode << exported
                            << QString::fromUtf8(error);
    };
    row("CSV to standard output", "3 entries", "--format csv", 0, 3, "");
    row("JSON to a file, an old export replaced", "3 entries", "--format json -o FILE", 0, 3, "");
    row("no database file yet", "none", "--format json", 0, 0, "");
    row("damaged database: the intact entries, and failure", "damaged", "", 1, 2, "damaged at entry 3");
    row("no data folder", "no data folder", "", 2, -1, "has no data folder");
    row("unwritable output", "3 entries", "-o MISSING", 1, -1, "cannot write ");
}

void TestExportCommand::run()
{
    QFETCH(QString, database);
    QFETCH(QString, arguments);
    QFETCH(int, exitCode);
    QFETCH(int, exported);
    QFETCH(QString, error);
    vh::test::TestWorkspace ws;
    const QByteArray bytes = vh::database::DatabaseFile::serialize(sampleDatabase(3));
    if (database == QLatin1String("3 entries"))
        ws.write(QStringLiteral("data/database.dat"), bytes);
    else if (database == QLatin1String("damaged"))
        ws.write(QStringLiteral("data/database.dat"), bytes.left(bytes.size() - 5));
    else if (database == QLatin1String("no data folder"))
        QVERIFY(QDir(ws.path(QStringLiteral("data"))).removeRecursively());
    QTemporaryDir outDir;
    const QString outFile = outDir.filePath(QStringLiteral("entries.out"));
    QVERIFY(QFile(outFile).open(QIODevice::WriteOnly));
    const QStringList before = snapshot(ws.base());

    QStringList args = QStringList{QStringLiteral("export")} + arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    args.replaceInStrings(QStringLiteral("MISSING"), ws.path(QStringLiteral("missing/folder/out.csv")));
    args.replaceInStrings(QStringLiteral("FILE"), outFile);
    args << QStringLiteral("--base-folder") << ws.base();
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    QCOMPARE(ExportCommand::run(CliOptions::parse(args), QStringLiteral("/usr/bin/varnholt-cli"), out, err), exitCode);

    const bool json = arguments.contains(QLatin1String("json"));
    const bool toFile = arguments.contains(QLatin1String("FILE"));
    QFile written(outFile);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray got = toFile ? written.readAll() : out.data();
    if (exported < 0)
        QVERIFY(got.isEmpty());
    else
        QCOMPARE(got, json ? vh::database::exportJson(sampleDatabase(exported))
                           : vh::database::exportCsv(sampleDatabase(exported)));
    if (toFile)
        QVERIFY(out.data().isEmpty());
    QVERIFY2(error.isEmpty() ? err.data().isEmpty()
                             : err.data().startsWith("varnholt-cli: ") && err.data().contains(error.toUtf8()),
             err.data().constData());
    // the window keeps a damaged file aside; an export only reads
    QCOMPARE(snapshot(ws.base()), before);
}

QTEST_GUILESS_MAIN(TestExportCommand)
#include "tst_exportcommand.moc"
