#include "cli/CliOptions.h"

namespace vh::cli {

QString CliOptions::usage()
{
    return QStringLiteral(
        "Usage: varnholt-cli [--base-folder DIR] COMMAND [OPTIONS]\n"
        "\n"
        "The headless collector of Varnholt: collects PunkBuster screenshots of game servers into the\n"
        "workspace's database and vault, without a window.\n"
        "\n"
        "Commands:\n"
        "  inventory [--random] [--loop] [--map NAME]... [--provider NAME]... [--name-filter all|aasa|aci]\n"
        "      Visit the selected servers and collect their new screenshots, as the window's \"Inventory\n"
        "      Servers\" does. By default every provider and every known map is selected; --map and\n"
        "      --provider select only the ones named (letter case aside). The activity log goes to standard\n"
        "      output, the progress to standard error.\n"
        "        --random        visit the servers in random order\n"
        "        --loop          start a new pass after each one until stopped (without it: one pass,\n"
        "                        whatever the Preferences say)\n"
        "      Ctrl-C or SIGTERM cancels like \"Cancel Inventory\": transfers under way finish, then the\n"
        "      database, the settings and the server names are saved and the exit status is 0. A second\n"
        "      Ctrl-C or SIGTERM ends the program at once, without saving.\n"
        "  hunt [--loop]\n"
        "      Hunt Mode without a window: fetch the index page of every named server, take the screenshots\n"
        "      whose lines name a prey of data/Pray.dat, one pass (--loop: until stopped). The Hunt log goes\n"
        "      to standard output, the progress to standard error; Ctrl-C or SIGTERM acts as \"Stop\": the\n"
        "      pass downloads what it found, then everything is saved. An empty prey list is exit status 1.\n"
        "  prey list | prey add TEXT | prey remove TEXT | prey import FILE [--add-banned]\n"
        "      Show or edit the prey list data/Pray.dat. Entries are kept exactly as given (letter case and\n"
        "      blanks count). remove takes the first equal entry. import adds each line of FILE that is not\n"
        "      empty, not on the list and, without --add-banned, not on the AASA banlist.\n"
        "  export [--format csv|json] [--output FILE]\n"
        "      Write every database entry with all its members (default: CSV to standard output). Reads the\n"
        "      database only; FILE is replaced as a whole once written.\n"
        "  report N [--open]\n"
        "      Write the AASA report of entry N (1-based, \"PBSS N\" in the window) to reports/ after both\n"
        "      banlist version checks, and print its path; --open shows it in the browser. Exit status 0\n"
        "      also when AASA already banned the player (the red line says so).\n"
        "  aci N\n"
        "      Send entry N's screenshot to the ACI verification page named on the seventh line of\n"
        "      data/Links.dat. Exit status 0 when the page answered with a 2xx status.\n"
        "  report and aci read the database without changing it.\n"
        "  search TEXT\n"
        "      List the entries of a player: TEXT is a GUID or a part of a player name (letter case aside).\n"
        "      One line per entry, oldest first: entry number, date, server, player name, GUID and\n"
        "      \"cheating\" or \"-\", separated by tabs. For a GUID a last line \"# names used by this GUID: ...\"\n"
        "      lists every name it played under. Reads the database only.\n"
        "  serve [--listen ADDRESS:PORT] [--token TOKEN]\n"
        "      Serve a read-only web gallery of the workspace (default 127.0.0.1:8077): the screenshot list,\n"
        "      the entry pages, the pictures and a JSON interface. The database is read again whenever it\n"
        "      changes and never written. An address other than a loopback one needs --token; browsers then\n"
        "      open /login?token=TOKEN once, scripts send \"Authorization: Bearer TOKEN\".\n"
        "\n"
        "Options:\n"
        "  --base-folder DIR   the workspace, which must hold its data folder (default: ~/Varnholt)\n"
        "  -h, --help          show this help and exit\n"
        "  -V, --version       show the version and exit\n"
        "\n"
        "Exit status: 0 on success (a cancelled inventory included), 1 when a command failed,\n"
        "2 for bad arguments or a bad base folder.\n"
        "\n"
        "Example (crontab, every hour):\n"
        "  0 * * * * varnholt-cli --base-folder /srv/varnholt inventory >> /srv/varnholt/cli.log 2>&1\n");
}

CliOptions CliOptions::parse(const QStringList& arguments)
{
    CliOptions o;
    const auto fail = [&o](const QString& message) {
        o.error = message;
        return o;
    };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        // options with a value take it from the next argument or after "="
        QString name = a;
        QString value;
        bool hasInlineValue = false;
        if (a.startsWith(QLatin1String("--")) && a.contains(QLatin1Char('='))) {
            name = a.section(QLatin1Char('='), 0, 0);
            value = a.section(QLatin1Char('='), 1);
            hasInlineValue = true;
        }
        const auto takeValue = [&](QString& out) {
            if (hasInlineValue) {
                out = value;
                return true;
            }
            if (i + 1 >= arguments.size())
                return false;
            out = arguments.at(++i);
            return true;
        };
        const auto needs = [&](Command c) { return o.command == c; };

        if (name == QLatin1String("-h") || name == QLatin1String("--help")) {
            o.command = Command::Help;
            return o;
        }
        if (name == QLatin1String("-V") || name == QLatin1String("--version")) {
            o.command = Command::Version;
            return o;
        }
        if (name == QLatin1String("--base-folder")) {
            if (!takeValue(o.baseFolder) || o.baseFolder.isEmpty())
                return fail(QStringLiteral("--base-folder needs a folder"));
        } else if (o.command == Command::None && name == QLatin1String("inventory")) {
            o.command = Command::Inventory;
        } else if (o.command == Command::None && name == QLatin1String("export")) {
            o.command = Command::Export;
        } else if (o.command == Command::None && (name == QLatin1String("report") || name == QLatin1String("aci"))) {
            o.command = name == QLatin1String("report") ? Command::Report : Command::Aci;
            bool ok = false;
            o.entry = i + 1 < arguments.size() ? arguments.at(i + 1).toInt(&ok) : 0;
            if (!ok || o.entry < 1)
                return fail(QStringLiteral("%1 needs an entry number N of 1 or more").arg(name));
            ++i;
        } else if (needs(Command::Report) && name == QLatin1String("--open")) {
            o.open = true;
        } else if (o.command == Command::None && name == QLatin1String("search")) {
            o.command = Command::Search;
        } else if (needs(Command::Search) && !o.searchTextGiven) {
            // taken as it stands: a player name may well begin with a dash
            o.searchText = a;
            o.searchTextGiven = true;
        } else if (o.command == Command::None && name == QLatin1String("hunt")) {
            o.command = Command::Hunt;
        } else if (o.command == Command::None && name == QLatin1String("prey")) {
            o.command = Command::Prey;
            if (i + 1 >= arguments.size())
                return fail(QStringLiteral("prey needs list, add, remove or import"));
            const QString action = arguments.at(++i);
            static const QStringList actions = {QStringLiteral("list"), QStringLiteral("add"), QStringLiteral("remove"),
                                                QStringLiteral("import")};
            const qsizetype which = actions.indexOf(action);
            if (which < 0)
                return fail(QStringLiteral("prey takes list, add, remove or import, not \"%1\"").arg(action));
            o.preyAction = PreyAction(int(which) + 1);
            if (o.preyAction != PreyAction::List) {
                // the text is taken as it stands, even when it begins with "-"
                if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty())
                    return fail(QStringLiteral("prey %1 needs %2")
                                    .arg(action, o.preyAction == PreyAction::Import ? QStringLiteral("a file")
                                                                                    : QStringLiteral("a text")));
                o.preyText = arguments.at(++i);
            }
        } else if (needs(Command::Prey) && o.preyAction == PreyAction::Import &&
                   name == QLatin1String("--add-banned")) {
            o.addBanned = true;
        } else if (needs(Command::Hunt) && name == QLatin1String("--loop")) {
            o.loop = true;
        } else if (o.command == Command::None && name == QLatin1String("serve")) {
            o.command = Command::Serve;
        } else if (needs(Command::Serve) && name == QLatin1String("--listen")) {
            if (!takeValue(o.listen) || o.listen.isEmpty())
                return fail(QStringLiteral("--listen needs ADDRESS:PORT"));
        } else if (needs(Command::Serve) && name == QLatin1String("--token")) {
            if (!takeValue(o.token) || o.token.isEmpty())
                return fail(QStringLiteral("--token needs a text"));
        } else if (needs(Command::Inventory) && name == QLatin1String("--random")) {
            o.random = true;
        } else if (needs(Command::Inventory) && name == QLatin1String("--loop")) {
            o.loop = true;
        } else if (needs(Command::Inventory) && name == QLatin1String("--map")) {
            QString map;
            if (!takeValue(map) || map.isEmpty())
                return fail(QStringLiteral("--map needs a map name"));
            o.maps << map;
        } else if (needs(Command::Inventory) && name == QLatin1String("--provider")) {
            QString provider;
            if (!takeValue(provider) || provider.isEmpty())
                return fail(QStringLiteral("--provider needs a provider name"));
            o.providers << provider;
        } else if (needs(Command::Inventory) && name == QLatin1String("--name-filter")) {
            QString filter;
            if (!takeValue(filter))
                return fail(QStringLiteral("--name-filter needs all, aasa or aci"));
            filter = filter.toLower();
            if (filter == QLatin1String("all"))
                o.nameFilter = NameFilter::All;
            else if (filter == QLatin1String("aasa"))
                o.nameFilter = NameFilter::Aasa;
            else if (filter == QLatin1String("aci"))
                o.nameFilter = NameFilter::Aci;
            else
                return fail(QStringLiteral("--name-filter takes all, aasa or aci, not \"%1\"").arg(filter));
        } else if (needs(Command::Export) && name == QLatin1String("--format")) {
            QString format;
            if (!takeValue(format))
                return fail(QStringLiteral("--format needs csv or json"));
            format = format.toLower();
            if (format == QLatin1String("csv"))
                o.format = Format::Csv;
            else if (format == QLatin1String("json"))
                o.format = Format::Json;
            else
                return fail(QStringLiteral("--format takes csv or json, not \"%1\"").arg(format));
        } else if (needs(Command::Export) && (name == QLatin1String("--output") || name == QLatin1String("-o"))) {
            if (!takeValue(o.output) || o.output.isEmpty())
                return fail(QStringLiteral("--output needs a file name"));
        } else if (o.command == Command::None && !a.startsWith(QLatin1Char('-'))) {
            return fail(QStringLiteral("unknown command \"%1\"").arg(a));
        } else {
            return fail(QStringLiteral("unknown option \"%1\"").arg(a));
        }
    }
    if (o.command == Command::None)
        return fail(QStringLiteral("no command given"));
    if (o.command == Command::Search && o.searchText.trimmed().isEmpty())
        return fail(QStringLiteral("search needs a GUID or a part of a player name"));
    return o;
}

} // namespace vh::cli
