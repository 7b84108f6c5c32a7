#include "app/AppCore.h"
#include "cli/CliOptions.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varnholt-cli"));

    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const vh::cli::CliOptions options = vh::cli::CliOptions::parse(arguments);
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "varnholt-cli: %s\nTry 'varnholt-cli --help' for more information.\n",
                     qPrintable(options.error));
        return 2;
    }
    switch (options.command) {
    case vh::cli::CliOptions::Command::Help:
        std::fputs(qPrintable(vh::cli::CliOptions::usage()), stdout);
        return 0;
    case vh::cli::CliOptions::Command::Version:
        std::printf("varnholt-cli %s\n", qPrintable(vh::app::AppCore::AppTitle().section(QLatin1Char(' '), 1)));
        return 0;
    default:
        break;
    }
    std::fprintf(stderr, "varnholt-cli: this command is not available yet\n");
    return 1;
}
