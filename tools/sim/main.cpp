// varnholt-sim: a farm of simulated game servers on loopback addresses, for trying Varnholt and for its
// end-to-end tests. See tools/sim/README.md.
#include "Farm.h"
#include "Scenario.h"
#include "StatusResponder.h"
#include "platform/AtomicFile.h"

#include <httplib.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QUrl>

#include <csignal>
#include <cstdio>

namespace {

volatile std::sig_atomic_t g_signal = 0;

void onSignal(int signal)
{
    g_signal = signal;
}

const char* const Usage =
    "Usage: varnholt-sim [--workspace DIR] [--minutes N] [options]\n"
    "Serves simulated game servers on 127.0.0.x: index pages and screenshots over HTTP on 127.0.0.1, the status\n"
    "query on UDP port 1717 of each server's address, two banlists, a trollbait page, a verification endpoint and\n"
    "the lister's file. Ends after N minutes or on Ctrl-C.\n\n"
    "  --workspace DIR       first write a ready workspace into DIR (which must not hold one), then serve;\n"
    "                        DIR/farm-manifest.json says what the farm publishes\n"
    "  --minutes N           serve for N minutes (default 30)\n"
    "  --port N              HTTP port on 127.0.0.1 (default: a free one)\n"
    "  --first-address A     address of the first server (default 127.0.0.2; must be in 127.0.0.0/8)\n"
    "  --shot-seconds N      a new screenshot every N seconds, servers in turn (default 15; 0: none)\n"
    "  --banlist-minutes N   new banlist versions every N minutes (default 5; 0: never)\n"
    "  --seed N              players and shots follow from N (default 1)\n"
    "  --lister URL ...      act as the GameSpy lister: with -o FILE, write the farm's list at URL into FILE\n"
    "  --help                this text\n";

struct Options
{
    QString workspace;
    int minutes = 30;
    int port = 0;
    QString firstAddress = QStringLiteral("127.0.0.2");
    int shotSeconds = 15;
    int banlistMinutes = 5;
    quint32 seed = 1;
    QString error;
};

void say(const QString& line)
{
    std::fprintf(stdout, "varnholt-sim: %s\n", qPrintable(line));
    std::fflush(stdout);
}

int fail(const QString& line, int status)
{
    std::fprintf(stderr, "varnholt-sim: %s\n", qPrintable(line));
    return status;
}

Options parse(const QStringList& args)
{
    Options o;
    const auto number = [&](int& i, int& into, int least) {
        bool ok = false;
        const int v = args.value(i + 1).toInt(&ok);
        if (!ok || v < least) {
            o.error = QStringLiteral("%1 needs a whole number of at least %2").arg(args.at(i)).arg(least);
            return;
        }
        into = v;
        ++i;
    };
    for (int i = 0; i < args.size() && o.error.isEmpty(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--workspace") && i + 1 < args.size())
            o.workspace = args.at(++i);
        else if (a == QLatin1String("--first-address") && i + 1 < args.size())
            o.firstAddress = args.at(++i);
        else if (a == QLatin1String("--minutes"))
            number(i, o.minutes, 1);
        else if (a == QLatin1String("--port"))
            number(i, o.port, 1);
        else if (a == QLatin1String("--shot-seconds"))
            number(i, o.shotSeconds, 0);
        else if (a == QLatin1String("--banlist-minutes"))
            number(i, o.banlistMinutes, 0);
        else if (a == QLatin1String("--seed")) {
            int seed = 0;
            number(i, seed, 0);
            o.seed = quint32(seed);
        } else
            o.error = QStringLiteral("unknown option \"%1\"").arg(a);
    }
    const QHostAddress first(o.firstAddress);
    const int last = o.firstAddress.section(QLatin1Char('.'), 3).toInt() + vh::sim::Scenario::ServerCount - 1;
    if (o.error.isEmpty() && (first.protocol() != QAbstractSocket::IPv4Protocol || !first.isLoopback() || last > 254 ||
                              o.firstAddress.section(QLatin1Char('.'), 3).toInt() < 1))
        o.error = QStringLiteral("--first-address must be a loopback address 127.x.y.1 to 127.x.y.%1")
                      .arg(255 - vh::sim::Scenario::ServerCount);
    if (o.error.isEmpty() && o.port > 65535)
        o.error = QStringLiteral("--port must be at most 65535");
    return o;
}

// The lister stand-in: the program runs "gslist -n armygame -t 2 -o FILE" and "gslist -M".
int runLister(const QStringList& args)
{
    const QUrl url(args.value(0));
    const int out = int(args.indexOf(QStringLiteral("-o")));
    if (out < 0)
        return 0; // initialisation: nothing to prepare
    if (!url.isValid() || url.scheme() != QLatin1String("http") || !QHostAddress(url.host()).isLoopback())
        return fail(QStringLiteral("the lister reads only from a loopback address"), 2);
    httplib::Client client(url.host().toStdString(), url.port(80));
    client.set_connection_timeout(5);
    client.set_read_timeout(10);
    const auto response = client.Get(url.path().toStdString());
    if (!response || response->status != 200)
        return fail(QStringLiteral("the farm's list at %1 cannot be read").arg(url.toString()), 1);
    const vh::platform::Problems problems =
        vh::platform::writeFileAtomically(args.value(out + 1), QByteArray::fromStdString(response->body));
    if (!problems.isEmpty())
        return fail(problems.join(QStringLiteral("; ")), 1);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.value(0) == QLatin1String("--lister"))
        return runLister(args.mid(1));
    if (args.contains(QStringLiteral("--help"))) {
        std::fputs(Usage, stdout);
        return 0;
    }
    const Options options = parse(args);
    if (!options.error.isEmpty())
        return fail(options.error + QStringLiteral("\nTry 'varnholt-sim --help' for more information."), 2);
    const QString workspace =
        options.workspace.isEmpty() ? QString() : QDir::cleanPath(QDir(options.workspace).absolutePath());
    if (!workspace.isEmpty() && QFileInfo::exists(workspace + QStringLiteral("/data")))
        return fail(QStringLiteral("%1 already holds a workspace (a data folder); choose a new folder").arg(workspace),
                    2);

    // signals only set a flag, from the start (drawing the first shots takes a while); the poll below ends the
    // event loop, so every socket closes and the last manifest is written
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    vh::sim::Farm farm(vh::sim::Scenario::ServerCount, options.firstAddress, options.port);
    if (!farm.http().isRunning())
        return fail(QStringLiteral("cannot serve HTTP on 127.0.0.1%1")
                        .arg(options.port ? QStringLiteral(":%1").arg(options.port) : QString()),
                    1);
    vh::sim::Scenario scenario(farm, options.seed);
    scenario.populate();

    const QString manifestPath = workspace.isEmpty() ? QString() : workspace + QStringLiteral("/farm-manifest.json");
    qsizetype uploadsSeen = 0;
    const auto writeManifest = [&] {
        if (manifestPath.isEmpty())
            return;
        QJsonObject manifest = farm.manifest();
        QJsonArray prey;
        for (const QByteArray& p : scenario.prey())
            prey.append(QString::fromLatin1(p));
        manifest.insert(QStringLiteral("prey"), prey);
        for (const QString& problem : vh::platform::writeFileAtomically(manifestPath, QJsonDocument(manifest).toJson()))
            say(QStringLiteral("cannot write the manifest: ") + problem);
    };

    if (!workspace.isEmpty()) {
        scenario.writeWorkspace(workspace, QCoreApplication::applicationFilePath());
        say(QStringLiteral("workspace ready in %1").arg(workspace));
    }

    vh::sim::StatusResponder responder(farm);
    for (const QString& problem : responder.start())
        say(problem);

    const QString last = farm.server(farm.serverCount() - 1).address;
    say(QStringLiteral("%1 servers on %2 to %3, HTTP at %4, for %5 minutes; Ctrl-C stops")
            .arg(farm.serverCount())
            .arg(farm.server(0).address, last, farm.http().url(QString()))
            .arg(options.minutes));
    if (!workspace.isEmpty())
        say(QStringLiteral("try: varnholt-cli --base-folder %1 inventory").arg(workspace));
    writeManifest(); // last: its presence tells a waiting script that the farm serves

    QTimer shots;
    QObject::connect(&shots, &QTimer::timeout, [&] {
        say(scenario.takeShot(QDateTime::currentDateTime()));
        writeManifest();
    });
    if (options.shotSeconds > 0)
        shots.start(options.shotSeconds * 1000);
    QTimer banlists;
    QObject::connect(&banlists, &QTimer::timeout, [&] {
        say(scenario.updateBanlists());
        writeManifest();
    });
    if (options.banlistMinutes > 0)
        banlists.start(options.banlistMinutes * 60 * 1000);

    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const QList<vh::sim::HttpServer::Post> posts = farm.http().posts();
        if (posts.size() != uploadsSeen) {
            uploadsSeen = posts.size();
            say(QStringLiteral("verification upload recorded (%1 bytes)").arg(posts.last().body.size()));
            writeManifest();
        }
        if (g_signal != 0) {
            say(QStringLiteral("stopping on signal %1").arg(int(g_signal)));
            QCoreApplication::quit();
        }
    });
    poll.start(200);
    QTimer::singleShot(std::chrono::minutes(options.minutes), [] {
        say(QStringLiteral("time is up, stopping"));
        QCoreApplication::quit();
    });

    QCoreApplication::exec();
    say(QStringLiteral("%1 status queries answered, %2 uploads recorded; stopped")
            .arg(responder.answered())
            .arg(farm.http().posts().size()));
    return 0;
}
