#include "cli/ExportCommand.h"

#include "cli/CommandInput.h"
#include "database/Database.h"
#include "database/DatabaseExport.h"
#include "platform/AtomicFile.h"

#include <QIODevice>

namespace vh::cli {

int ExportCommand::run(const CliOptions& options, const QString& executablePath, QIODevice& out, QIODevice& err)
{
    database::Database db;
    const WorkspaceRead opened = openWorkspaceReadOnly(options, executablePath, db, err,
                                                       QStringLiteral("only the %1 entries before it are exported"));
    if (!opened.proceed)
        return opened.status;

    const QByteArray content =
        options.format == CliOptions::Format::Json ? database::exportJson(db) : database::exportCsv(db);
    if (options.output.isEmpty())
        return writeOut(out, content, err) ? opened.status : 1;
    if (const platform::Problems problems = platform::writeFileAtomically(options.output, content);
        !problems.isEmpty()) {
        say(err, QStringLiteral("cannot write %1: %2").arg(options.output, problems.join(QStringLiteral("; "))));
        return 1;
    }
    return opened.status;
}

} // namespace vh::cli
