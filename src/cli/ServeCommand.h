#pragma once

#include "cli/CliOptions.h"

#include <QHostAddress>

class QIODevice;

namespace vh::cli {

// varnholt-cli serve: the read-only team gallery of the workspace until Ctrl-C or SIGTERM.
class ServeCommand final
{
public:
    // "ADDRESS:PORT", the address IPv4 or IPv6 in brackets; false when it is not one.
    static bool parseListen(const QString& text, QHostAddress* address, quint16* port);
    // Returns the exit status: 0 after a stop signal, 1 when the port cannot be opened, 2 for bad arguments
    // or a bad base folder.
    static int run(const CliOptions& options, const QString& executablePath, QIODevice& out, QIODevice& err);
};

} // namespace vh::cli
