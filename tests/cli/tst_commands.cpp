#include "cli/ExportCommand.h"
#include "cli/HuntCommand.h"
#include "database/Database.h"
#include "database/DatabaseExport.h"
#include "database/DatabaseFile.h"
#include "util/SampleEntries.h"
#include "util/TestWorkspace.h"

#include <QBuffer>
#include <QDirIterator>
#include <QtTest>

using vh::cli::CliOptions;
using vh::database::Database;

namespace {

Database sampleDatabase(int n)
{
    Database db;
    for (int i = 1; i <= n; ++i)
        db.append(vh::test::sampleEntry(i));
    return db;
}

// Every file with its size, to see that a command changed nothing.
QStringList snapshot(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        files << it.filePath() + QLatin1Char(' ') + QString::number(it.fileInfo().size());
    }
    files.sort();
    return files;
}

struct Output
{
    QBuffer out;
    QBuffer err;
    Output()
    {
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
    }
};

CliOptions options(const QString& arguments, const QString& base)
{
    return CliOptions::parse(arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts) +
                             QStringList{QStringLiteral("--base-folder"), base});
}

} // namespace

// The commands that read the database or edit the prey list, without a collector.
class TestCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exportEntries_data();
    void exportEntries();
    void preyList_data();
    void preyList();
};

void TestCommands::exportEntries_data()
{
    QTest::addColumn<QString>("database"); // "3 entries", "damaged" or "no data folder"
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
    row("damaged database: the intact entries, and failure", "damaged", "", 1, 2, "damaged at entry 3");
    row("no data folder", "no data folder", "", 2, -1, "has no data folder");
}

void TestCommands::exportEntries()
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

    arguments.replace(QLatin1String("FILE"), outFile);
    Output o;
    QCOMPARE(vh::cli::ExportCommand::run(options(QStringLiteral("export ") + arguments, ws.base()),
                                         QStringLiteral("/usr/bin/varnholt-cli"), o.out, o.err),
             exitCode);

    const bool json = arguments.contains(QLatin1String("json"));
    const bool toFile = arguments.contains(outFile);
    QFile written(outFile);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray got = toFile ? written.readAll() : o.out.data();
    if (exported < 0)
        QVERIFY(got.isEmpty());
    else
        QCOMPARE(got, json ? vh::database::exportJson(sampleDatabase(exported))
                           : vh::database::exportCsv(sampleDatabase(exported)));
    if (toFile)
        QVERIFY(o.out.data().isEmpty());
    QVERIFY2(error.isEmpty() ? o.err.data().isEmpty()
                             : o.err.data().startsWith("varnholt-cli: ") && o.err.data().contains(error.toUtf8()),
             o.err.data().constData());
    // the window keeps a damaged file aside; an export only reads
    QCOMPARE(snapshot(ws.base()), before);
}

void TestCommands::preyList_data()
{
    QTest::addColumn<QByteArray>("before"); // data/Pray.dat; empty: no file
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("printed"); // a part of standard output or error
    QTest::addColumn<QByteArray>("after");
    const QByteArray two = " 2\r\n-x-\r\nWolf\r\n";
    QTest::newRow("add starts a list") << QByteArray() << "prey add -x-" << 0 << QByteArray()
                                       << QByteArray(" 1\r\n-x-\r\n");
    QTest::newRow("import: case kept, empty and listed lines skipped")
        << two << "prey import IMPORT" << 0 << QByteArray("Added to praylist: 2\n")
        << QByteArray(" 4\r\n-x-\r\nWolf\r\nBEAR\r\nbear\r\n");
    QTest::newRow("remove what is not listed")
        << two << "prey remove wolf" << 1 << QByteArray("\"wolf\" is not on the prey list") << two;
}

void TestCommands::preyList()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, printed);
    QFETCH(QByteArray, after);
    vh::test::TestWorkspace ws;
    if (!before.isEmpty())
        ws.write(QStringLiteral("data/Pray.dat"), before);
    arguments.replace(QLatin1String("IMPORT"), ws.write(QStringLiteral("import.txt"), "\r\nBEAR\r\nbear\r\nWolf\r\n"));
    Output o;
    QCOMPARE(
        vh::cli::PreyCommand::run(options(arguments, ws.base()), QStringLiteral("/usr/bin/varnholt-cli"), o.out, o.err),
        exitCode);
    QVERIFY2((o.out.data() + o.err.data()).contains(printed), (o.out.data() + o.err.data()).constData());
    QCOMPARE(ws.exists(QStringLiteral("data/Pray.dat")) ? ws.read(QStringLiteral("data/Pray.dat")) : QByteArray(),
             after);
}

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
