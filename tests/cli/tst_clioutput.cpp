#include "cli/LogPrinter.h"
#include "cli/ProgressLine.h"
#include "cli/StopSignals.h"

#include <QBuffer>
#include <QSignalSpy>
#include <QtTest>

#include <csignal>

using vh::cli::LogPrinter;
using vh::cli::ProgressLine;
using vh::cli::StopSignals;
namespace Colours = vh::base::Colours;

class TestCliOutput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void logLine_data();
    void logLine();
    void progressStepsAsideForLogLines();
    void signalArrivesOnEventLoop();
};

void TestCliOutput::logLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint32>("colour");
    QTest::addColumn<bool>("ansi");
    QTest::addColumn<QByteArray>("printed");

    const QString t = QStringLiteral("10:00:00 : Inventory started on : Alpha");
    QTest::newRow("default colour as word")
        << t << Colours::Default << false << QByteArray("[white] 10:00:00 : Inventory started on : Alpha\n");
    QTest::newRow("white on a terminal keeps the terminal's colour")
        << QStringLiteral("x") << Colours::White << true << QByteArray("x\n");
    QTest::newRow("other colour on a terminal")
        << QStringLiteral("x") << quint32(0x102030) << true << QByteArray("\x1b[38;2;48;32;16mx\x1b[0m\n");
    QTest::newRow("escape sequence in a player name")
        << QStringLiteral("P\x1b]0;owned\x07"
                          "er\r\n")
        << Colours::Red << true << QByteArray("\x1b[31mP?]0;owned?er??\x1b[0m\n");
    QTest::newRow("C1 control and Latin-1 letters")
        << QStringLiteral("a\u009bb\u00e4") << Colours::Default << false << QByteArray("[white] a?b\xc3\xa4\n");
}

void TestCliOutput::logLine()
{
    QFETCH(QString, text);
    QFETCH(quint32, colour);
    QFETCH(bool, ansi);
    QFETCH(QByteArray, printed);
    QCOMPARE(LogPrinter::format(text, colour, ansi ? LogPrinter::Style::Ansi : LogPrinter::Style::Words), printed);
}

void TestCliOutput::progressStepsAsideForLogLines()
{
    // the log and the progress share one terminal: every log line must start on a clean line
    QBuffer terminal;
    terminal.open(QIODevice::WriteOnly);
    ProgressLine progress(terminal, true);
    LogPrinter printer(terminal, LogPrinter::Style::Ansi);
    printer.setAroundPrint([&] { progress.clear(); }, [&] { progress.redraw(); });

    printer.print(QStringLiteral("before"), Colours::Default);
    progress.visitStarted(1, 2);
    progress.setQueued(3);
    printer.print(QStringLiteral("log"), Colours::Default);
    progress.setDone(1);
    progress.visitEnded();
    printer.print(QStringLiteral("after"), Colours::Default);

    QCOMPARE(terminal.data(), QByteArray("before\n"
                                         "\r\x1b[Kserver 1/2, downloads 0/0"
                                         "\r\x1b[Kserver 1/2, downloads 0/3"
                                         "\r\x1b[K"
                                         "log\n"
                                         "\r\x1b[Kserver 1/2, downloads 0/3"
                                         "\r\x1b[Kserver 1/2, downloads 1/3"
                                         "\r\x1b[K"
                                         "after\n"));
}

void TestCliOutput::signalArrivesOnEventLoop()
{
    StopSignals stop;
    QVERIFY(stop.isInstalled());
    QVERIFY(!StopSignals().isInstalled()); // one owner of the process-wide handlers at a time
    QSignalSpy spy(&stop, &StopSignals::stopRequested);
    QCOMPARE(::raise(SIGTERM), 0);
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), SIGTERM);
}

QTEST_GUILESS_MAIN(TestCliOutput)
#include "tst_clioutput.moc"
