#include "cli/ExportCommand.h"

#include "base/Paths.h"
#include "base/Workspace.h"
#include "cli/CommandInput.h"
#include "cli/WorkspaceCheck.h"
#include "database/Database.h"
#include "database/DatabaseExport.h"
#include "database/DatabaseFile.h"
#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>

namespace vh::cli {

int ExportCommand::run(const CliOptions& options, const QString& executablePath, QIODevice& out, QIODevice& err)
{
    const QString base = base::Workspace::resolveBaseFolder(executablePath, options.baseFolder);
    const base::Problems problems = WorkspaceCheck::problems(base, false);
    if (!problems.isEmpty()) {
        say(err, problems.join(QStringLiteral("; ")));
        return 2;
    }

    int status = 0;
    database::Database db;
    switch (readDatabaseReadOnly(base, db, err, QStringLiteral("only the %1 entries before it are exported"))) {
    case DatabaseRead::Unreadable:
        return 1;
    case DatabaseRead::Damaged:
        status = 1;
        break;
    case DatabaseRead::Whole:
        break;
    }

    const QByteArray content =
        options.format == CliOptions::Format::Json ? database::exportJson(db) : database::exportCsv(db);
    if (options.output.isEmpty()) {
        if (out.write(content) != content.size()) {
            say(err, QStringLiteral("cannot write to standard output: %1").arg(out.errorString()));
            return 1;
        }
        return status;
    }
    if (const base::Problems problems = platform::writeFileAtomically(options.output, content); !problems.isEmpty()) {
        say(err, QStringLiteral("cannot write %1: %2").arg(options.output, problems.join(QStringLiteral("; "))));
        return 1;
    }
    return status;
}

} // namespace vh::cli
