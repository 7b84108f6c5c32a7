#pragma once

#include "cli/CliOptions.h"

class QIODevice;

namespace vh::cli {

// varnholt-cli export: the database as CSV or JSON. Reads the database file and nothing else, and writes
// only the output it was asked for, so it can run beside a collector or the window.
class ExportCommand final
{
public:
    // Returns the exit status: 0, 1 when the database could not be read whole or the output not written,
    // 2 for a bad base folder.
    static int run(const CliOptions& options, const QString& executablePath, QIODevice& out, QIODevice& err);
};

} // namespace vh::cli
