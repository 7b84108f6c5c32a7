#include "app/AppCore.h"
#include "base/Links.h"
#include "base/Workspace.h"
#include "database/Database.h"
#include "database/DatabaseFile.h"
#include "util/SampleEntries.h"
#include "util/TestWorkspace.h"

#include <QDir>
#include <QtTest>

using vh::app::AppCore;
using vh::base::Links;
using vh::base::Setting;
using vh::base::Workspace;
using vh::test::TestWorkspace;

namespace {

QStringList logTexts(AppCore& core)
{
    QStringList texts;
    for (int row = 0; row < core.log().rowCount(); ++row)
        texts << core.log().index(row).data().toString().section(QStringLiteral(" : "), 1);
    return texts;
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void baseFolder_data();
    void baseFolder();
    void linksFile_data();
    void linksFile();
    void dataFolderIsNotCreated();
    void leftoversDeletedVaultKept();
    void timersAndShutdownFollowTheSettings_data();
    void timersAndShutdownFollowTheSettings();
};

void TestStartup::baseFolder_data()
{
    QTest::addColumn<QString>("executable");
    QTest::addColumn<QString>("override");
    QTest::addColumn<QString>("expected");
    const QString fallback = QDir::homePath() + QStringLiteral("/Varnholt");
    QTest::newRow("named Varnholt") << QStringLiteral("/opt/tools/Varnholt") << QString()
                                    << QStringLiteral("/opt/tools");
    QTest::newRow("lower case") << QStringLiteral("/opt/tools/varnholt") << QString() << fallback;
    QTest::newRow("installed into a bin folder") << QStringLiteral("/usr/bin/Varnholt") << QString() << fallback;
    QTest::newRow("override with any name")
        << QStringLiteral("/opt/tools/vh") << QStringLiteral("/srv/ws/../w2") << QStringLiteral("/srv/w2");
}

void TestStartup::baseFolder()
{
    QFETCH(QString, executable);
    QFETCH(QString, override);
    QFETCH(QString, expected);
    QCOMPARE(Workspace::resolveBaseFolder(executable, override), expected);
}

void TestStartup::linksFile_data()
{
    QTest::addColumn<QByteArray>("content"); // "-": no file
    QTest::addColumn<QString>("values");     // the six lines, joined with |
    QTest::addColumn<int>("problems");
    QTest::newRow("four lines") << QByteArray("a1\r\nb2\r\nc3\r\nd4\r\n") << "a1|b2|c3|d4||" << 2;
    QTest::newRow("empty lines are values")
        << QByteArray("a1\r\n\r\nc3\r\n \r\ne5\r\nf6\r\nmore\r\n") << "a1||c3| |e5|f6" << 0;
    // open, six reads and close each fail
    QTest::newRow("missing file") << QByteArray("-") << "|||||" << 8;
}

void TestStartup::linksFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, values);
    QFETCH(int, problems);
    TestWorkspace ws;
    if (content != "-")
        ws.write(QStringLiteral("data/Links.dat"), content);
    Links links;
    links.ProviderInfoUrl = QStringLiteral("stale");
    const QStringList lines = links.LoadLinks(ws.path(QStringLiteral("data/Links.dat")));
    QCOMPARE(QStringList({links.AasaBanlistUrl, links.AasaSearchUrl, links.AasaReportUrl, links.TrollbaitUrl,
                          links.ProviderInfoUrl, links.AciBanlistUrl})
                 .join(QLatin1Char('|')),
             values);
    QCOMPARE(lines.size(), problems);
    const QString problem = QStringLiteral("Problems in Loading Links, error:");
    for (const QString& line : lines)
        QVERIFY2(line.startsWith(problem) && line.size() > problem.size(), qPrintable(line));
}

void TestStartup::dataFolderIsNotCreated()
{
    // a folder without data is no workspace: say so, and leave it as it was (an installed executable's folder
    // must not fill with workspace folders)
    TestWorkspace ws;
    QVERIFY(QDir(ws.path(QStringLiteral("data"))).removeRecursively());
    AppCore core;
    core.startupLoad(QStringLiteral("/x/Varnholt"), ws.base());
    QCOMPARE(QDir(ws.base()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QCOMPARE(logTexts(core).last(), Workspace::missingDataMessage(ws.base()));
}

// Unfinished downloads and fetched pages go; everything else stays, and a vault picture no entry names moves aside.
void TestStartup::leftoversDeletedVaultKept()
{
    TestWorkspace ws;
    vh::database::Database named;
    named.append(vh::test::sampleEntry(1));
    ws.write(QStringLiteral("data/database.dat"), vh::database::DatabaseFile::serialize(named));
    const QString vaultName = QString::fromLatin1(named.entry(1).VaultName) + QStringLiteral(".png");
    const QStringList gone{QStringLiteral("PBSS/x.png"), QStringLiteral("PBSS/X2.PNG"), QStringLiteral("temp/y.htm")};
    const QStringList kept{QStringLiteral("PBSS/notes.txt"), QStringLiteral("PBSS/archive/a.png"),
                           QStringLiteral("temp/y.html"), QStringLiteral("reports/r.htm"),
                           QStringLiteral("PBSS/vault/") + vaultName};
    for (const QString& file : gone + kept)
        ws.write(file, "x");
    ws.write(QStringLiteral("PBSS/vault/v.png"), "no entry names it");

    AppCore core;
    core.startupLoad(QStringLiteral("/x/Varnholt"), ws.base());
    QVERIFY(ws.exists(gone.first())); // only the end of the start-up cleans
    core.startupLoadLists();
    core.startupFinish();
    for (const QString& file : gone)
        QVERIFY2(!ws.exists(file), qPrintable(file));
    for (const QString& file : kept)
        QVERIFY2(ws.exists(file), qPrintable(file));
    QCOMPARE(QDir(ws.path(QStringLiteral("PBSS/vault"))).entryList(QDir::Files), QStringList{vaultName});
    QCOMPARE(ws.read(QStringLiteral("PBSS/orphaned/v.png")), QByteArray("no entry names it"));
}

void TestStartup::timersAndShutdownFollowTheSettings_data()
{
    QTest::addColumn<bool>("on"); // server discovery, and the log file at exit
    QTest::newRow("on") << true;
    QTest::newRow("off") << false;
}

void TestStartup::timersAndShutdownFollowTheSettings()
{
    QFETCH(bool, on);
    TestWorkspace ws;
    ws.write(QStringLiteral("data/Links.dat"), "a\r\nb\r\nc\r\nd\r\ne\r\nf\r\n");
    QByteArray settings;
    for (int k = 1; k <= 40; ++k) {
        const bool flag = k == 16 || k == 17 || k == 28;
        settings += "s" + QByteArray::number(k) + ":" +
                    (flag ? QByteArray(on || k == 16 ? "1" : "0") : QByteArray::number(k * 10)) + "\r\n";
    }
    ws.write(QStringLiteral("data/Settings.dat"), settings);
    const QByteArray previous("from the last run\r\n");
    ws.write(QStringLiteral("Varnholt.log"), previous);
    AppCore core;
    core.startupLoad(QStringLiteral("/x/Varnholt"), ws.base());
    QCOMPARE(core.links().AciBanlistUrl, QStringLiteral("f"));
    QCOMPARE(core.flags().StopRequested, 1); // setting 16
    // only the first thirty settings are logged
    const QStringList texts = logTexts(core);
    QCOMPARE(texts.size(), 31);
    QCOMPARE(texts.last(), QStringLiteral("Application started from ") + QDir::toNativeSeparators(ws.base()));

    core.startupLoadLists();
    core.startupFinish();
    QCOMPARE(core.discoveryTimer().isActive(), on);
    QVERIFY(core.banlistTimer().isActive());
    core.Log(QStringLiteral("c"));
    core.ShutDown();
    QVERIFY(!core.discoveryTimer().isActive());
    QVERIFY(!core.banlistTimer().isActive());
    // the settings are saved either way; the log file's format is the activity log's
    QVERIFY(ws.read(QStringLiteral("data/Settings.dat")).startsWith("s1:10\r\n"));
    const QByteArray log = ws.read(QStringLiteral("Varnholt.log"));
    QCOMPARE(log == previous, !on);
    QCOMPARE(log.contains(" : c\r\n"), on);
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
