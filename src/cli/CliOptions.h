#pragma once

#include <QString>
#include <QStringList>

namespace vh::cli {

// The command line of varnholt-cli.
struct CliOptions
{
    enum class Command
    {
        None,
        Help,
        Version,
        Inventory,
        Export,
        Search,
        Hunt,
        Prey,
        Serve,
        Report,
        Aci
    };
    enum class PreyAction
    {
        None,
        List,
        Add,
        Remove,
        Import
    };
    enum class NameFilter
    {
        All,
        Aasa,
        Aci
    };
    enum class Format
    {
        Csv,
        Json
    };

    Command command = Command::None;
    QString baseFolder;
    // inventory
    bool random = false;
    bool loop = false;     // also hunt
    QStringList maps;      // empty: every known map
    QStringList providers; // empty: every provider
    NameFilter nameFilter = NameFilter::All;
    // prey
    PreyAction preyAction = PreyAction::None;
    QString preyText; // the entry to add or remove, or the file to import
    bool addBanned = false;
    // export
    Format format = Format::Csv;
    QString output; // empty: standard output
    // report and aci
    int entry = 0; // 1-based position in data/database.dat
    bool open = false;
    // search
    QString searchText;
    bool searchTextGiven = false;
    // serve
    QString listen = QStringLiteral("127.0.0.1:8077");
    QString token;

    QString error; // set when the arguments are bad

    static CliOptions parse(const QStringList& arguments); // without the program name
    static QString usage();
};

} // namespace vh::cli
