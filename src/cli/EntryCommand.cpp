#include "cli/EntryCommand.h"

#include "app/AppCore.h"
#include "base/Paths.h"
#include "cli/CommandInput.h"
#include "cli/LogPrinter.h"
#include "cli/WorkspaceCheck.h"
#include "database/DatabaseFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>

namespace vh::cli {

int EntryCommand::run(const CliOptions& options, const QString& executablePath, QIODevice& out, QIODevice& err,
                      bool outIsTerminal)
{
    // made absolute once, so the report and the upload name the PNG by its full path
    const QString base =
        QDir::cleanPath(QDir(base::Workspace::resolveBaseFolder(executablePath, options.baseFolder)).absolutePath());
    const base::Problems problems = WorkspaceCheck::problems(base, false);
    if (!problems.isEmpty()) {
        say(err, problems.join(QStringLiteral("; ")));
        return 2;
    }

    app::AppCore core;
    LogPrinter printer(out, LogPrinter::styleForTerminal(outIsTerminal));
    QObject::connect(&core.log(), &base::ActivityLog::lineAdded, &printer,
                     [&printer](const QString& text, base::Colour colour) { printer.print(text, colour); });
    core.loadForEntryCommand(base);
    if (readDatabaseReadOnly(base, core.database(), err, QStringLiteral("the %1 entries before it are read")) ==
        DatabaseRead::Unreadable)
        return 1;
    const int count = core.database().EntryCount();
    if (options.entry > count) {
        say(err, QStringLiteral("there is no entry %1: the database holds %2 entries").arg(options.entry).arg(count));
        return 2;
    }

    if (options.command == CliOptions::Command::Aci)
        return core.aciUpload().uploadEntry(options.entry) ? 0 : 1;

    // the page fetch and the report need their folders even in a workspace no window has opened yet
    QDir().mkpath(core.path(base::Paths::Temp));
    report::AasaReport& aasaReport = core.aasaReport();
    aasaReport.setOpensBrowser(options.open);
    QObject::connect(&aasaReport, &report::AasaReport::warnResponsibility, &printer,
                     [&err](const QString&, const QString& text) { err.write(text.toUtf8() + '\n'); });
    const report::AasaReport::Result result = aasaReport.MnuCreateAASAreport(options.entry);
    switch (result.outcome) {
    case report::AasaReport::Outcome::Written:
        out.write(QDir::toNativeSeparators(result.file).toUtf8() + '\n');
        return 0;
    case report::AasaReport::Outcome::AlreadyBanned:
        return 0;
    case report::AasaReport::Outcome::Nothing:
        say(err, QStringLiteral("entry %1 names no screenshot file; no report").arg(options.entry));
        return 1;
    case report::AasaReport::Outcome::WriteFailed:
        break;
    }
    return 1;
}

} // namespace vh::cli
