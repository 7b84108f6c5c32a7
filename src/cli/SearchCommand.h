#pragma once

#include "cli/CliOptions.h"

class QIODevice;

namespace vh::database {
class Database;
}

namespace vh::cli {

// varnholt-cli search: the entries of a player, found by GUID or by a part of the name. Reads the database
// file and nothing else.
class SearchCommand final
{
public:
    // Returns the exit status: 0, 1 when the database could not be read whole, 2 for a bad base folder.
    static int run(const CliOptions& options, const QString& executablePath, QIODevice& out, QIODevice& err);
    // The lines printed for a search over the table.
    static QByteArray lines(const database::Database& db, const QString& text);
};

} // namespace vh::cli
