#pragma once

#include "cli/CliOptions.h"

class QIODevice;

namespace vh::cli {

// varnholt-cli report N and aci N: one database entry reported to AASA or sent to ACI. The database is read
// as export reads it and never written, so N is the entry's position in data/database.dat.
class EntryCommand final
{
public:
    // Returns the exit status: 0 done (a report written or the player already banned; the upload answered
    // with 2xx), 1 failed, 2 for a bad base folder or an entry number the database does not hold.
    static int run(const CliOptions& options, const QString& executablePath, QIODevice& out, QIODevice& err,
                   bool outIsTerminal);
};

} // namespace vh::cli
