#include "base/Paths.h"
#include "cli/EntryCommand.h"
#include "cli/ExportCommand.h"
#include "cli/HuntCommand.h"
#include "database/Database.h"
#include "database/DatabaseExport.h"
#include "database/DatabaseFile.h"
#include "util/LocalHttpServer.h"
#include "util/SampleEntries.h"
#include "util/TestWorkspace.h"

#include <QBuffer>
#include <QtTest>

using namespace vh;
using cli::CliOptions;
using database::Database;

namespace {

Database sampleDatabase(int n)
{
    Database db;
    for (int i = 1; i <= n; ++i)
        db.append(test::sampleEntry(i));
    return db;
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

// The commands that read the database, edit the prey list or report an entry, without a collector.
class TestCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exportEntries_data();
    void exportEntries();
    void preyList_data();
    void preyList();
    void entryCommands_data();
    void entryCommands();
};

void TestCommands::exportEntries_data()
{
    QTest::addColumn<QString>("setup"); // "3 entries", "damaged" or "no data folder"
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("exported"); // to standard output or the file
    QTest::addColumn<QString>("error");
    const auto row = [](const char* name, const char* setup, const char* arguments, int exitCode,
                        const QByteArray& exported, const char* error) {
        QTest::newRow(name) << QString::fromUtf8(setup) << QString::fromUtf8(arguments) << exitCode << exported
                            << QString::fromUtf8(error);
    };
    row("CSV to standard output", "3 entries", "--format csv", 0, database::exportCsv(sampleDatabase(3)), "");
    row("JSON to a file, an old export replaced", "3 entries", "--format json -o FILE", 0,
        database::exportJson(sampleDatabase(3)), "");
    row("damaged database: the intact entries, and failure", "damaged", "", 1, database::exportCsv(sampleDatabase(2)),
        "damaged at entry 3");
    row("no data folder", "no data folder", "", 2, "", "has no data folder");
}

void TestCommands::exportEntries()
{
    QFETCH(QString, setup);
    QFETCH(QString, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, exported);
    QFETCH(QString, error);
    test::TestWorkspace ws;
    const QByteArray bytes = database::DatabaseFile::serialize(sampleDatabase(3));
    if (setup == QLatin1String("3 entries"))
        ws.write(QStringLiteral("data/database.dat"), bytes);
    else if (setup == QLatin1String("damaged"))
        ws.write(QStringLiteral("data/database.dat"), bytes.left(bytes.size() - 5));
    else if (setup == QLatin1String("no data folder"))
        QVERIFY(QDir(ws.path(QStringLiteral("data"))).removeRecursively());
    const QString outFile = ws.write(QStringLiteral("old.out"), "old export");
    const QStringList before = QDir(ws.path(QStringLiteral("data"))).entryList(QDir::Files);

    const bool toFile = arguments.contains(QLatin1String("FILE"));
    arguments.replace(QLatin1String("FILE"), outFile);
    Output o;
    QCOMPARE(cli::ExportCommand::run(options(QStringLiteral("export ") + arguments, ws.base()),
                                     QStringLiteral("/usr/bin/varnholt-cli"), o.out, o.err),
             exitCode);
    QCOMPARE(o.out.data(), toFile ? QByteArray() : exported);
    QCOMPARE(ws.read(QStringLiteral("old.out")), toFile ? exported : QByteArray("old export"));
    QVERIFY2(error.isEmpty() ? o.err.data().isEmpty()
                             : o.err.data().startsWith("varnholt-cli: ") && o.err.data().contains(error.toUtf8()),
             o.err.data().constData());
    // the window keeps a damaged file aside; an export only reads
    QCOMPARE(QDir(ws.path(QStringLiteral("data"))).entryList(QDir::Files), before);
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
    test::TestWorkspace ws;
    if (!before.isEmpty())
        ws.write(QStringLiteral("data/Pray.dat"), before);
    arguments.replace(QLatin1String("IMPORT"), ws.write(QStringLiteral("import.txt"), "\r\nBEAR\r\nbear\r\nWolf\r\n"));
    Output o;
    QCOMPARE(
        cli::PreyCommand::run(options(arguments, ws.base()), QStringLiteral("/usr/bin/varnholt-cli"), o.out, o.err),
        exitCode);
    QVERIFY2((o.out.data() + o.err.data()).contains(printed), (o.out.data() + o.err.data()).constData());
    QCOMPARE(ws.exists(QStringLiteral("data/Pray.dat")) ? ws.read(QStringLiteral("data/Pray.dat")) : QByteArray(),
             after);
}

// Entry 1 has its picture in the vault, entry 2 (the player the AASA list bans) has none.
void TestCommands::entryCommands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("aciAccepts");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("printed");
    QTest::newRow("report") << "report 1" << true << 0 << "YOU are resposible";
    QTest::newRow("already banned") << "report 2" << true << 0 << "[red] ";
    QTest::newRow("no such entry") << "report 3" << true << 2 << "there is no entry 3";
    QTest::newRow("aci") << "aci 1" << true << 0 << "";
    QTest::newRow("aci refused") << "aci 1" << false << 1
                                 << "Problems in uploading to ACI, error:the server answered with HTTP status 404";
    QTest::newRow("aci, PNG missing") << "aci 2" << true << 1 << "Problems in uploading to ACI, error:the screenshot";
}

void TestCommands::entryCommands()
{
    QFETCH(QString, command);
    QFETCH(bool, aciAccepts);
    QFETCH(int, exitCode);
    QFETCH(QString, printed);
    test::TestWorkspace ws;
    test::LocalHttpServer server;
    if (aciAccepts)
        server.acceptPosts(QStringLiteral("/verified/index.php"), {});
    const QByteArray banned = "fedcba9876543210fedcba9876543210";
    ws.write(base::Paths::AasaBanlistFile, "AASA 1\r\n[x] " + banned + " Cheater 10.0.0.1 aasa pbss\r\n");
    server.serve(QStringLiteral("/aasa"), ws.read(base::Paths::AasaBanlistFile));
    server.serve(QStringLiteral("/svss/pb000001.htm"), "<p> <img src=pb000001.png>");
    ws.write(base::Paths::LinksFile, server.url(QStringLiteral("/aasa")).toLatin1() + "\r\ns\r\nr\r\nt\r\np\r\n\r\n" +
                                         server.url(QStringLiteral("/verified/index.php?")).toLatin1());
    ws.write(base::Paths::SettingsFile, "s11:1\r\n"); // WarnReportResponsibility
    database::Database db;
    const QByteArray png("\x89PNG\r\n\x1a\n\x00\xff\x00\xff", 12);
    for (const QByteArray& guid : {QByteArray(32, 'a'), banned}) {
        database::ScreenshotEntry e = test::sampleEntry(db.EntryCount() + 1);
        e.IndexText = e.IndexText.left(6) + " \"P\" GUID=" + guid;
        e.ServerURL = server.url(QStringLiteral("/svss")).toLatin1();
        db.append(e);
    }
    ws.write(QStringLiteral("PBSS/vault/") + QString::fromLatin1(db.entry(1).VaultName) + QStringLiteral(".png"), png);
    ws.write(base::Paths::DatabaseFile, database::DatabaseFile::serialize(db));
    const QByteArray stored = ws.read(base::Paths::DatabaseFile);

    Output o;
    QCOMPARE(cli::EntryCommand::run(options(command, ws.base()), QStringLiteral("/usr/bin/varnholt-cli"), o.out, o.out,
                                    false),
             exitCode);
    QVERIFY2(o.out.data().contains(printed.toUtf8()), o.out.data().constData());
    const QStringList reports = QDir(ws.path(base::Paths::Reports)).entryList(QDir::Files);
    QCOMPARE(reports.size(), int(command == QLatin1String("report 1")));
    if (!reports.isEmpty())
        QVERIFY(o.out.data().contains(ws.path(base::Paths::Reports).toUtf8() + '/' + reports.first().toUtf8() + '\n'));
    QCOMPARE(ws.read(base::Paths::DatabaseFile), stored);
    const QList<test::LocalHttpServer::Post> posts = server.posts();
    QCOMPARE(posts.size(), int(command == QLatin1String("aci 1") && aciAccepts));
    if (posts.isEmpty())
        return;
    QCOMPARE(posts.first().path, QStringLiteral("/verified/index.php"));
    QCOMPARE(posts.first().contentType, QByteArray("multipart/form-data; boundary=f89awenrh8f8"));
    QCOMPARE(posts.first().body,
             "--------------f89awenrh8f8\r\nContent-Disposition: form-data; name=\"file\"; file=\"" +
                 QDir(ws.base()).absolutePath().toUtf8() + "/PBSS/vault/" + db.entry(1).VaultName + ".png\"\r\n\r\n" +
                 png + "\r\n--------------f89awenrh8f8\r\nContent-Disposition: form-data; name=\"url\"\r\n\r\n" +
                 db.entry(1).ServerURL + "/pb000001.png\r\n--------------f89awenrh8f8--");
}

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
