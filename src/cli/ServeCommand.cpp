#include "cli/ServeCommand.h"

#include "banlists/Banlists.h"
#include "base/ActivityLog.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "cli/CommandInput.h"
#include "cli/GalleryServer.h"
#include "cli/LogPrinter.h"
#include "cli/StopSignals.h"
#include "cli/WorkspaceCheck.h"
#include "gallery/GallerySite.h"

#include <QCoreApplication>
#include <QIODevice>

namespace vh::cli {

bool ServeCommand::parseListen(const QString& text, QHostAddress* address, quint16* port)
{
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    QString host = text.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    else if (host.contains(QLatin1Char(':')))
        return false; // an IPv6 address needs its brackets, or the port cannot be told apart
    bool ok = false;
    const uint number = text.mid(colon + 1).toUInt(&ok);
    if (!ok || number > 65535 || !address->setAddress(host))
        return false;
    *port = quint16(number);
    return true;
}

int ServeCommand::run(const CliOptions& options, const QString& executablePath, QIODevice& out, QIODevice& err)
{
    QHostAddress address;
    quint16 port = 0;
    if (!parseListen(options.listen, &address, &port)) {
        say(err, QStringLiteral("--listen takes ADDRESS:PORT (for example 127.0.0.1:8077 or [::1]:8077), not \"%1\"")
                     .arg(options.listen));
        return 2;
    }
    const QString base = base::Workspace::resolveBaseFolder(executablePath, options.baseFolder);
    const base::Problems problems = WorkspaceCheck::problems(base, false);
    if (!problems.isEmpty()) {
        say(err, problems.join(QStringLiteral("; ")));
        return 2;
    }

    base::Settings settings;
    base::ActivityLog log(settings);
    LogPrinter printer(err, LogPrinter::Style::Words);
    QObject::connect(&log, &base::ActivityLog::lineAdded, &printer, &LogPrinter::print);
    base::Workspace workspace(base);
    banlists::Banlists bans(log, workspace);
    gallery::GallerySite site(workspace, bans, log);
    GalleryServer server(site);
    const base::Checked<quint16> started = server.start(address, port, options.token.toUtf8());
    const quint16 bound = started.value;
    if (!started.ok()) {
        say(err, started.problems.join(QStringLiteral("; ")));
        return address.isLoopback() || !options.token.isEmpty() ? 1 : 2;
    }
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                             : address.toString();
    out.write(QStringLiteral("Serving the gallery of %1 on http://%2:%3/ (%4 entries)\n")
                  .arg(base, host)
                  .arg(bound)
                  .arg(site.database().EntryCount())
                  .toUtf8());

    StopSignals stopSignals;
    QObject::connect(&stopSignals, &StopSignals::stopRequested, qApp, [] { QCoreApplication::exit(0); });
    return QCoreApplication::exec();
}

} // namespace vh::cli
