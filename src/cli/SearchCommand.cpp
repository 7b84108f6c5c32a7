#include "cli/SearchCommand.h"

#include "cli/CommandInput.h"
#include "database/Database.h"
#include "database/PlayerSearch.h"

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
    database::Database db;
    const WorkspaceRead opened = openWorkspaceReadOnly(options, executablePath, db, err,
                                                       QStringLiteral("only the %1 entries before it are searched"));
    if (!opened.proceed)
        return opened.status;
    const QByteArray content = lines(db, options.searchText);
    return writeOut(out, content, err) ? opened.status : 1;
}

} // namespace vh::cli
