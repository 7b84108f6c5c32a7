#include "cli/CommandInput.h"

#include "base/Paths.h"
#include "base/Workspace.h"
#include "cli/CliOptions.h"
#include "cli/WorkspaceCheck.h"
#include "database/Database.h"
#include "database/DatabaseFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QString>

namespace vh::cli {

void say(QIODevice& err, const QString& message)
{
    err.write(QByteArrayLiteral("varnholt-cli: ") + message.toUtf8() + '\n');
}

DatabaseRead readDatabaseReadOnly(const QString& baseFolder, database::Database& db, QIODevice& err,
                                  const QString& afterDamage)
{
    const QString path = QDir(baseFolder).filePath(base::Paths::DatabaseFile);
    if (!QFileInfo::exists(path))
        return DatabaseRead::Whole;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        say(err, QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        return DatabaseRead::Unreadable;
    }
    const base::Checked<int> result = database::DatabaseFile::parse(file.readAll(), db);
    if (result.ok())
        return DatabaseRead::Whole;
    say(err, QStringLiteral("%1 is damaged at entry %2 (%3); ")
                     .arg(path)
                     .arg(result.value)
                     .arg(result.problems.join(QStringLiteral("; "))) +
                 afterDamage.arg(db.EntryCount()));
    return DatabaseRead::Damaged;
}

WorkspaceRead openWorkspaceReadOnly(const CliOptions& options, const QString& executablePath, database::Database& db,
                                    QIODevice& err, const QString& afterDamage)
{
    const QString base = base::Workspace::resolveBaseFolder(executablePath, options.baseFolder);
    const base::Problems problems = WorkspaceCheck::problems(base, false);
    if (!problems.isEmpty()) {
        say(err, problems.join(QStringLiteral("; ")));
        return {false, 2};
    }
    switch (readDatabaseReadOnly(base, db, err, afterDamage)) {
    case DatabaseRead::Unreadable:
        return {false, 1};
    case DatabaseRead::Damaged:
        return {true, 1};
    case DatabaseRead::Whole:
        break;
    }
    return {true, 0};
}

bool writeOut(QIODevice& out, const QByteArray& content, QIODevice& err)
{
    if (out.write(content) == content.size())
        return true;
    say(err, QStringLiteral("cannot write to standard output: %1").arg(out.errorString()));
    return false;
}

} // namespace vh::cli
