#include "cli/CliOptions.h"

#include <QtTest>

using vh::cli::CliOptions;

class TestCliOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void badArguments_data();
    void badArguments();
    void inventoryOptions();
    void exportOptions();
    void helpWinsAnywhere();
    void huntAndPreyOptions();
};

void TestCliOptions::badArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("errorPart");
    QTest::newRow("nothing") << QStringList() << QStringLiteral("no command");
    QTest::newRow("unknown command") << QStringList{QStringLiteral("collect")} << QStringLiteral("unknown command");
    QTest::newRow("inventory option on export")
        << QStringList{QStringLiteral("export"), QStringLiteral("--random")} << QStringLiteral("unknown option");
    QTest::newRow("map without name") << QStringList{QStringLiteral("inventory"), QStringLiteral("--map")}
                                      << QStringLiteral("--map needs");
    QTest::newRow("bad name filter") << QStringList{QStringLiteral("inventory"), QStringLiteral("--name-filter"),
                                                    QStringLiteral("xyz")}
                                     << QStringLiteral("all, aasa or aci");
    QTest::newRow("bad format") << QStringList{QStringLiteral("export"), QStringLiteral("--format=xml")}
                                << QStringLiteral("csv or json");
    QTest::newRow("base folder without value")
        << QStringList{QStringLiteral("--base-folder")} << QStringLiteral("--base-folder needs");
    QTest::newRow("prey without action") << QStringList{QStringLiteral("prey")} << QStringLiteral("prey needs");
    QTest::newRow("prey add without text")
        << QStringList{QStringLiteral("prey"), QStringLiteral("add")} << QStringLiteral("needs a text");
    QTest::newRow("inventory option on hunt")
        << QStringList{QStringLiteral("hunt"), QStringLiteral("--random")} << QStringLiteral("unknown option");
    QTest::newRow("two commands") << QStringList{QStringLiteral("export"), QStringLiteral("inventory")}
                                  << QStringLiteral("unknown option");
}

void TestCliOptions::badArguments()
{
    QFETCH(QStringList, args);
    QFETCH(QString, errorPart);
    const CliOptions o = CliOptions::parse(args);
    QVERIFY2(o.error.contains(errorPart), qPrintable(o.error));
}

void TestCliOptions::inventoryOptions()
{
    const CliOptions o =
        CliOptions::parse({QStringLiteral("--base-folder"), QStringLiteral("/srv/vh"), QStringLiteral("inventory"),
                           QStringLiteral("--random"), QStringLiteral("--map"), QStringLiteral("Bridge"),
                           QStringLiteral("--map=Dusk"), QStringLiteral("--provider"), QStringLiteral("Demo Hosting"),
                           QStringLiteral("--name-filter"), QStringLiteral("AASA")});
    QVERIFY2(o.error.isEmpty(), qPrintable(o.error));
    QCOMPARE(o.command, CliOptions::Command::Inventory);
    QCOMPARE(o.baseFolder, QStringLiteral("/srv/vh"));
    QVERIFY(o.random);
    QVERIFY(!o.loop);
    QCOMPARE(o.maps, (QStringList{QStringLiteral("Bridge"), QStringLiteral("Dusk")}));
    QCOMPARE(o.providers, QStringList{QStringLiteral("Demo Hosting")});
    QCOMPARE(o.nameFilter, CliOptions::NameFilter::Aasa);
}

void TestCliOptions::exportOptions()
{
    const CliOptions o =
        CliOptions::parse({QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("json"),
                           QStringLiteral("-o"), QStringLiteral("out.json"), QStringLiteral("--base-folder=/w")});
    QVERIFY2(o.error.isEmpty(), qPrintable(o.error));
    QCOMPARE(o.command, CliOptions::Command::Export);
    QCOMPARE(o.format, CliOptions::Format::Json);
    QCOMPARE(o.output, QStringLiteral("out.json"));
    QCOMPARE(o.baseFolder, QStringLiteral("/w"));
}

void TestCliOptions::helpWinsAnywhere()
{
    QCOMPARE(CliOptions::parse({QStringLiteral("export"), QStringLiteral("--help")}).command,
             CliOptions::Command::Help);
    QCOMPARE(CliOptions::parse({QStringLiteral("-V")}).command, CliOptions::Command::Version);
}

void TestCliOptions::huntAndPreyOptions()
{
    const CliOptions hunt = CliOptions::parse({QStringLiteral("hunt"), QStringLiteral("--loop")});
    QCOMPARE(hunt.command, CliOptions::Command::Hunt);
    QVERIFY(hunt.loop);
    // a prey may begin with "-", and only import knows --add-banned
    const CliOptions add = CliOptions::parse({QStringLiteral("prey"), QStringLiteral("add"), QStringLiteral("-x- ")});
    QCOMPARE(add.preyAction, CliOptions::PreyAction::Add);
    QCOMPARE(add.preyText, QStringLiteral("-x- "));
    QVERIFY(!CliOptions::parse({QStringLiteral("prey"), QStringLiteral("list"), QStringLiteral("--add-banned")})
                 .error.isEmpty());
    QVERIFY(CliOptions::parse(
                {QStringLiteral("prey"), QStringLiteral("import"), QStringLiteral("f"), QStringLiteral("--add-banned")})
                .addBanned);
}

QTEST_GUILESS_MAIN(TestCliOptions)
#include "tst_clioptions.moc"
