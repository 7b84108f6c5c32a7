#include "app/AppCore.h"
#include "cli/CliOptions.h"
#include "cli/Collector.h"
#include "cli/EntryCommand.h"
#include "cli/ExportCommand.h"
#include "cli/SearchCommand.h"
#include "cli/HuntCommand.h"
#include "cli/ServeCommand.h"
#include "cli/StopSignals.h"

#include <QCoreApplication>
#include <QFile>

#include <unistd.h>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varnholt-cli"));

    // unbuffered: the log and the progress reach a pipe or a terminal line by line, and nothing is lost on exit
    QFile out;
    QFile err;
    out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle);
    err.open(STDERR_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle);

    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const vh::cli::CliOptions options = vh::cli::CliOptions::parse(arguments);
    if (!options.error.isEmpty()) {
        err.write("varnholt-cli: " + options.error.toUtf8() + "\nTry 'varnholt-cli --help' for more information.\n");
        return vh::cli::Collector::BadUsage;
    }
    const QString executable = QCoreApplication::applicationFilePath();
    switch (options.command) {
    case vh::cli::CliOptions::Command::Help:
        out.write(vh::cli::CliOptions::usage().toUtf8());
        return 0;
    case vh::cli::CliOptions::Command::Version:
        out.write("varnholt-cli " + vh::app::AppCore::AppTitle().section(QLatin1Char(' '), 1).toUtf8() + '\n');
        return 0;
    case vh::cli::CliOptions::Command::Export:
        return vh::cli::ExportCommand::run(options, executable, out, err);
    case vh::cli::CliOptions::Command::Report:
    case vh::cli::CliOptions::Command::Aci:
        return vh::cli::EntryCommand::run(options, executable, out, err, ::isatty(STDOUT_FILENO) == 1);
    case vh::cli::CliOptions::Command::Search:
        return vh::cli::SearchCommand::run(options, executable, out, err);
    case vh::cli::CliOptions::Command::Prey:
        return vh::cli::PreyCommand::run(options, executable, out, err);
    case vh::cli::CliOptions::Command::Serve:
        return vh::cli::ServeCommand::run(options, executable, out, err);
    case vh::cli::CliOptions::Command::Inventory:
    case vh::cli::CliOptions::Command::Hunt:
        break;
    case vh::cli::CliOptions::Command::None:
        return vh::cli::Collector::BadUsage;
    }

    vh::app::AppCore core;
    // a collector has no desktop to show a report on; the automatic report is written all the same
    core.aasaReport().setOpensBrowser(false);
    vh::cli::StopSignals stopSignals;
    const vh::cli::Collector::Terminal terminal{::isatty(STDOUT_FILENO) == 1, ::isatty(STDERR_FILENO) == 1};
    if (options.command == vh::cli::CliOptions::Command::Hunt) {
        vh::cli::HuntCommand hunt(core, out, err, terminal);
        QObject::connect(&stopSignals, &vh::cli::StopSignals::stopRequested, &hunt, &vh::cli::HuntCommand::requestStop);
        return hunt.run(options, executable);
    }
    vh::cli::Collector collector(core, out, err, terminal);
    QObject::connect(&stopSignals, &vh::cli::StopSignals::stopRequested, &collector, &vh::cli::Collector::requestStop);
    return collector.runInventory(options, executable);
}
