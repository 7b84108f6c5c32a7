#include "cli/HuntCommand.h"

#include "app/AppCore.h"
#include "banlists/Banlists.h"
#include "base/ActivityLog.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "cli/WorkspaceCheck.h"
#include "hunt/PreyList.h"

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QLockFile>
#include <QRegularExpression>

#include <csignal>

namespace vh::cli {

namespace {

QByteArray printable(const QString& text)
{
    QByteArray out = text.toLatin1();
    for (char& c : out) {
        if (uchar(c) < 0x20 || uchar(c) == 0x7F)
            c = '?';
    }
    return out;
}

void writeError(QIODevice& err, const QString& message)
{
    err.write(QByteArrayLiteral("varnholt-cli: ") + message.toUtf8() + '\n');
}

} // namespace

HuntCommand::HuntCommand(app::AppCore& core, QIODevice& out, QIODevice& err, Collector::Terminal terminal,
                         QObject* parent)
    : QObject(parent), m_core(core), m_out(out), m_err(err), m_terminal(terminal),
      m_printer(out, LogPrinter::styleForTerminal(terminal.out))
{
    if (terminal.out && terminal.err)
        m_printer.setAroundPrint([this] { clearProgress(); }, [this] { showProgress(false); });
    connect(&m_core.log(), &base::ActivityLog::lineAdded, this,
            [this](const QString& text, base::Colour colour) { m_printer.print(text, colour); });
    connect(&m_core.huntLog(), &hunt::HuntLog::lineAdded, this,
            [this](const QString& line) { printLine(printable(line) + '\n'); });

    hunt::HuntRun& hunt = m_core.hunt();
    connect(&hunt, &hunt::HuntRun::passStarted, this, [this](int pass, int servers) {
        m_pass = pass;
        m_pages = servers;
        m_pagesDone = m_finds = m_downloadsDone = m_downloadsQueued = 0;
        showProgress(false);
    });
    connect(&hunt, &hunt::HuntRun::pagesProgress, this, [this](int done, int) {
        m_pagesDone = done;
        m_finds = m_core.pageTable().PageEntryCount();
        showProgress(false);
    });
    connect(&hunt, &hunt::HuntRun::passEnded, this, [this](int, int finds) {
        m_finds = finds;
        showProgress(true);
    });
    connect(&m_core.pool(), &collect::DownloadPool::handedOut, this, [this] {
        m_downloadsQueued = m_core.pool().QueueCount();
        showProgress(false);
    });
    connect(&m_core.pool(), &collect::DownloadPool::statusTextChanged, this, [this](const QString& text) {
        static const QRegularExpression doneOfQueued(QStringLiteral("^(\\d+) of (\\d+)$"));
        const QRegularExpressionMatch m = doneOfQueued.match(text);
        if (m.hasMatch()) {
            m_downloadsDone = m.captured(1).toInt();
            showProgress(false);
        }
    });
}

QString HuntCommand::progressText(int pass, int pagesDone, int pages, int finds, int done, int queued)
{
    return QStringLiteral("hunt pass %1: pages %2/%3, finds %4, downloads %5/%6")
        .arg(pass)
        .arg(pagesDone)
        .arg(pages)
        .arg(finds)
        .arg(done)
        .arg(queued);
}

void HuntCommand::clearProgress()
{
    if (m_terminal.err && m_progressShown) {
        m_err.write("\r\x1b[K");
        m_progressShown = false;
    }
}

void HuntCommand::showProgress(bool passOver)
{
    if (m_pass == 0)
        return;
    const QByteArray text =
        progressText(m_pass, m_pagesDone, m_pages, m_finds, m_downloadsDone, m_downloadsQueued).toLatin1();
    if (m_terminal.err) {
        m_err.write("\r\x1b[K" + text + (passOver ? "\n" : ""));
        m_progressShown = !passOver;
    } else if (passOver) {
        // a log file gets one line per pass
        m_err.write(text + '\n');
    }
}

void HuntCommand::printLine(const QByteArray& line)
{
    const bool stepAside = m_terminal.out && m_terminal.err;
    if (stepAside)
        clearProgress();
    m_out.write(line);
    if (stepAside)
        showProgress(false);
}

void HuntCommand::error(const QString& message)
{
    clearProgress();
    writeError(m_err, message);
}

void HuntCommand::requestStop(int signalNumber)
{
    if (m_stopRequested)
        return;
    m_stopRequested = true;
    error(QStringLiteral("%1: stopping the hunt; the pass downloads what it found, then everything is saved "
                         "(press Ctrl-C again to quit at once without saving)")
              .arg(signalNumber == SIGTERM ? QStringLiteral("SIGTERM") : QStringLiteral("interrupted")));
    if (m_core.hunt().isRunning())
        m_core.hunt().StopHunting();
}

int HuntCommand::run(const CliOptions& options, const QString& executablePath)
{
    const QString base = base::Workspace::resolveBaseFolder(executablePath, options.baseFolder);
    const base::Problems problems = WorkspaceCheck::problems(base, true);
    if (!problems.isEmpty()) {
        error(problems.join(QStringLiteral("; ")));
        return Collector::BadUsage;
    }
    // the prey are checked before the start-up writes anything
    const QString preyFile = QDir(base).filePath(base::Paths::PreyFile);
    if (!QFile::exists(preyFile)) {
        error(QStringLiteral("no prey list: %1 does not exist (varnholt-cli prey add TEXT starts one)").arg(preyFile));
        return Collector::Failure;
    }
    hunt::PreyList prey;
    const base::Problems loadProblems = prey.LoadPrayList(preyFile);
    if (prey.count() == 0) {
        for (const QString& p : loadProblems)
            error(QStringLiteral("Problems in Loading Pray, error:") + p);
        error(QStringLiteral("the prey list %1 is empty: nothing to hunt").arg(preyFile));
        return Collector::Failure;
    }

    QLockFile lock(QDir(base).filePath(Collector::LockFileName));
    lock.setStaleLockTime(0);
    if (!lock.tryLock()) {
        qint64 pid = 0;
        QString host;
        QString app;
        lock.getLockInfo(&pid, &host, &app);
        error(QStringLiteral("another collector is running on %1 (process %2); not started").arg(base).arg(pid));
        return Collector::Failure;
    }

    m_core.startupLoad(executablePath, options.baseFolder);
    m_core.startupLoadLists();
    m_core.startupFinish();
    m_core.huntLog().clear();
    for (const QString& p : loadProblems)
        m_core.huntLog().AddHuntLog(QStringLiteral("Problems in Loading Pray, error:") + p);

    m_core.hunt().setLoop(options.loop);
    if (!m_stopRequested)
        m_core.hunt().StartHunting(prey.entries());
    clearProgress();

    int status = Collector::Success;
    if (!m_core.ShutDown()) {
        error(QStringLiteral("saving at shutdown failed, see the log above"));
        status = Collector::Failure;
    }
    return status;
}

int PreyCommand::run(const CliOptions& options, const QString& executablePath, QIODevice& out, QIODevice& err)
{
    using Action = CliOptions::PreyAction;
    const QString base = base::Workspace::resolveBaseFolder(executablePath, options.baseFolder);
    const base::Problems problems = WorkspaceCheck::problems(base, options.preyAction != Action::List);
    if (!problems.isEmpty()) {
        writeError(err, problems.join(QStringLiteral("; ")));
        return Collector::BadUsage;
    }
    const QString preyFile = QDir(base).filePath(base::Paths::PreyFile);
    hunt::PreyList prey;
    if (QFile::exists(preyFile)) {
        for (const QString& p : prey.LoadPrayList(preyFile))
            writeError(err, QStringLiteral("Problems in Loading Pray, error:") + p);
    }
    // the file holds single-byte text; anything else would be saved as question marks
    const QByteArray text = options.preyText.toLatin1();
    if (QString::fromLatin1(text) != options.preyText) {
        writeError(err, QStringLiteral("\"%1\" has characters the prey file cannot hold").arg(options.preyText));
        return Collector::Failure;
    }

    switch (options.preyAction) {
    case Action::List:
        for (const QByteArray& e : prey.entries())
            out.write(e + '\n');
        return Collector::Success;
    case Action::Add:
        prey.add(text);
        break;
    case Action::Remove:
        if (!prey.removeFirst(text)) {
            writeError(err, QStringLiteral("\"%1\" is not on the prey list").arg(options.preyText));
            return Collector::Failure;
        }
        break;
    case Action::Import: {
        QFile file(options.preyText);
        if (!file.open(QIODevice::ReadOnly)) {
            writeError(err, QStringLiteral("cannot read %1: %2").arg(options.preyText, file.errorString()));
            return Collector::Failure;
        }
        base::Settings settings;
        base::ActivityLog log(settings);
        base::Workspace workspace;
        workspace.setBaseFolder(base);
        banlists::Banlists bans(log, workspace);
        if (!options.addBanned) {
            bans.LoadAasaBanlist();
            for (auto it = log.lines().begin(); it != log.lines().end(); ++it)
                writeError(err, it->text);
        }
        const hunt::PreyList::ImportResult result =
            prey.importLines(hunt::PreyList::textLines(file.readAll()), bans.AasaBans(), options.addBanned);
        for (const QString& line : result.huntLog)
            out.write(printable(line) + '\n');
        out.write(result.message().replace(QLatin1String("\r\n"), QLatin1String("\n")).toLatin1() + '\n');
        break;
    }
    case Action::None:
        return Collector::BadUsage;
    }
    const base::Problems saveProblems = prey.SavePrayList(preyFile);
    if (!saveProblems.isEmpty()) {
        writeError(err, QStringLiteral("Problems in saving Pray, error:") + saveProblems.join(QStringLiteral("; ")));
        return Collector::Failure;
    }
    return Collector::Success;
}

} // namespace vh::cli
