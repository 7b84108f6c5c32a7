#include "cli/CliOptions.h"
#include "cli/LogPrinter.h"

#include <QtTest>

using vh::cli::CliOptions;
using vh::cli::LogPrinter;
namespace Colours = vh::base::Colours;

namespace {

// The parsed options in one line: the error, or the command and the members the rows below set. The other
// members are read by the command suites, which parse their own command lines.
QString describe(const CliOptions& o)
{
    if (!o.error.isEmpty())
        return QStringLiteral("error ") + o.error;
    return QStringLiteral("%1 base=%2 random=%3 addBanned=%4")
        .arg(int(o.command))
        .arg(o.baseFolder)
        .arg(int(o.random))
        .arg(int(o.addBanned));
}

} // namespace

// The command line as parsed, and the log lines as printed.
class TestCliOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
    void logLine_data();
    void logLine();
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
    row("inventory", "--base-folder=/srv/vh inventory --random", "3 base=/srv/vh random=1 addBanned=0");
    row("help wins anywhere", "export --help", "1 base= random=0 addBanned=0");
    row("import with banned", "prey import f --add-banned", "7 base= random=0 addBanned=1");
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

void TestCliOptions::logLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint32>("colour");
    QTest::addColumn<bool>("ansi");
    QTest::addColumn<QByteArray>("printed");
    QTest::newRow("default colour as word")
        << QStringLiteral("x") << Colours::Default << false << QByteArray("[white] x\n");
    QTest::newRow("white on a terminal keeps the terminal's colour")
        << QStringLiteral("x") << Colours::White << true << QByteArray("x\n");
    QTest::newRow("other colour on a terminal")
        << QStringLiteral("x") << quint32(0x102030) << true << QByteArray("\x1b[38;2;48;32;16mx\x1b[0m\n");
    QTest::newRow("control characters in a player name, Latin-1 letters kept")
        << QStringLiteral("P\x1b]0;\x07\u009b\u00e4\r\n") << Colours::Red << true
        << QByteArray("\x1b[31mP?]0;??\xc3\xa4??\x1b[0m\n");
}

void TestCliOptions::logLine()
{
    QFETCH(QString, text);
    QFETCH(quint32, colour);
    QFETCH(bool, ansi);
    QFETCH(QByteArray, printed);
    QCOMPARE(LogPrinter::format(text, colour, ansi ? LogPrinter::Style::Ansi : LogPrinter::Style::Words), printed);
}

QTEST_GUILESS_MAIN(TestCliOptions)
#include "tst_clioptions.moc"
