#include "cli/SearchCommand.h"

#include "base/Paths.h"
#include "base/Workspace.h"
#include "cli/CommandInput.h"
#include "cli/WorkspaceCheck.h"
#include "database/Database.h"
#include "database/DatabaseFile.h"
#include "database/PlayerSearch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>

namespace vh::cli {

namespace {

QByteArray text(const QByteArray& latin1)
{
    return QString::fromLatin1(latin1).toUtf8();
}

} // namespace

QByteArray SearchCommand::lines(const database::Database& db, const QString& searchText)
{
    const database::SearchResult result = database::searchPlayers(db, searchText);
    QByteArray out;
    for (int i : result.entries) {
        const database::ScreenshotEntry& e = db.entry(i);
        out += QByteArray::number(i) + '\t' + text(e.ShotTime) + '\t' + text(e.ServerName) + '\t' + text(e.PlayerName) +
               '\t' + text(e.GUID) + '\t' + (e.Cheating ? QByteArrayLiteral("cheating") : QByteArrayLiteral("-")) +
               '\n';
    }
    if (result.byGuid) {
        QByteArrayList names;
        for (const QByteArray& name : result.namesOfGuid)
            names << text(name);
        out += "# names used by this GUID: " + names.join(", ") + '\n';
    }
    return out;
}

int SearchCommand::run(const CliOptions& options, const QString& executablePath, QIODevice& out, QIODevice& err)
{
    const QString base = base::Workspace::resolveBaseFolder(executablePath, options.baseFolder);
    const base::Problems problems = WorkspaceCheck::problems(base, false);
    if (!problems.isEmpty()) {
        say(err, problems.join(QStringLiteral("; ")));
        return 2;
    }
    int status = 0;
    database::Database db;
    switch (readDatabaseReadOnly(base, db, err, QStringLiteral("only the %1 entries before it are searched"))) {
    case DatabaseRead::Unreadable:
        return 1;
    case DatabaseRead::Damaged:
        status = 1;
        break;
    case DatabaseRead::Whole:
        break;
    }
    const QByteArray content = lines(db, options.searchText);
    if (out.write(content) != content.size()) {
        say(err, QStringLiteral("cannot write to standard output: %1").arg(out.errorString()));
        return 1;
    }
    return status;
}

} // namespace vh::cli
