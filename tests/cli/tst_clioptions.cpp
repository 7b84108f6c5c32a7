#include "cli/CliOptions.h"

#include <QtTest>

using vh::cli::CliOptions;

namespace {

// The parsed options in one line, only the members that differ from a default.
QString describe(const CliOptions& o)
{
    if (!o.error.isEmpty())
        return QStringLiteral("error ") + o.error;
    QStringList parts{QString::number(int(o.command))};
    const CliOptions d;
    if (o.baseFolder != d.baseFolder)
        parts << QStringLiteral("base=") + o.baseFolder;
    if (o.random)
        parts << QStringLiteral("random");
    if (!o.maps.isEmpty())
        parts << QStringLiteral("maps=") + o.maps.join(QLatin1Char('|'));
    if (!o.providers.isEmpty())
        parts << QStringLiteral("providers=") + o.providers.join(QLatin1Char('|'));
    if (o.nameFilter != d.nameFilter)
        parts << QStringLiteral("filter=%1").arg(int(o.nameFilter));
    if (o.format != d.format)
        parts << QStringLiteral("json");
    if (!o.output.isEmpty())
        parts << QStringLiteral("out=") + o.output;
    if (o.preyAction != d.preyAction)
        parts << QStringLiteral("prey=%1:").arg(int(o.preyAction)) + o.preyText;
    if (o.addBanned)
        parts << QStringLiteral("addBanned");
    return parts.join(QLatin1Char(' '));
}

} // namespace

class TestCliOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
};

void TestCliOptions::parse_data()
{
    QTest::addColumn<QString>("arguments"); // split at blanks
    QTest::addColumn<QString>("parsed");    // the description, or "error " and a part of the message
    const auto row = [](const char* name, const char* arguments, const char* parsed) {
        QTest::newRow(name) << QString::fromUtf8(arguments) << QString::fromUtf8(parsed);
    };
    // commands: 1 help, 3 inventory, 4 export, 7 prey
    row("unknown command", "collect", "error unknown command");
    row("inventory option on export", "export --random", "error unknown option");
    row("bad name filter", "inventory --name-filter xyz", "error all, aasa or aci");
    row("prey add without text", "prey add", "error needs a text");
    row("only import knows --add-banned", "prey list --add-banned", "error ");
    row("inventory",
        "--base-folder /srv/vh inventory --random --map Bridge --map=Dusk --provider Demo "
        "--name-filter AASA",
        "3 base=/srv/vh random maps=Bridge|Dusk providers=Demo filter=1");
    row("export", "export --format json -o out.json --base-folder=/w", "4 base=/w json out=out.json");
    row("help wins anywhere", "export --help", "1");
    row("a prey may begin with -", "prey add -x-", "7 prey=2:-x-");
    row("import with banned", "prey import f --add-banned", "7 prey=4:f addBanned");
}

void TestCliOptions::parse()
{
    QFETCH(QString, arguments);
    QFETCH(QString, parsed);
    const QString got = describe(CliOptions::parse(arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts)));
    QVERIFY2(parsed.startsWith(QLatin1String("error "))
                 ? got.startsWith(QLatin1String("error ")) && got.contains(parsed.mid(6))
                 : got == parsed,
             qPrintable(got));
}

QTEST_GUILESS_MAIN(TestCliOptions)
#include "tst_clioptions.moc"
