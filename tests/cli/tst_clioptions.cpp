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

QTEST_GUILESS_MAIN(TestCliOptions)
#include "tst_clioptions.moc"
