#include "cli/ExportCommand.h"

#include "base/Paths.h"
#include "base/Workspace.h"
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

namespace {

void say(QIODevice& err, const QString& message)
{
    err.write(QByteArrayLiteral("varnholt-cli: ") + message.toUtf8() + '\n');
}

} // namespace

int ExportCommand::run(const CliOptions& options, const QString& executablePath, QIODevice& out, QIODevice& err)
{
    const QString base = base::Workspace::resolveBaseFolder(executablePath, options.baseFolder);
    const QString problem = WorkspaceCheck::problem(base, false);
    if (!problem.isEmpty()) {
        say(err, problem);
        return 2;
    }

    int status = 0;
    database::Database db;
    const QString path = QDir(base).filePath(base::Paths::DatabaseFile);
    // a workspace whose database was never written holds no entries yet
    if (QFileInfo::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            say(err, QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
            return 1;
        }
        const database::DatabaseFile::ParseResult result = database::DatabaseFile::parse(file.readAll(), db);
        if (result.damaged) {
            say(err, QStringLiteral("%1 is damaged at entry %2 (%3); only the %4 entries before it are exported")
                         .arg(path)
                         .arg(result.brokenEntry)
                         .arg(result.reason)
                         .arg(db.EntryCount()));
            status = 1;
        }
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
    QString error;
    if (!platform::writeFileAtomically(options.output, content, &error)) {
        say(err, QStringLiteral("cannot write %1: %2").arg(options.output, error));
        return 1;
    }
    return status;
}

} // namespace vh::cli
