#include "cli/WorkspaceCheck.h"

#include "base/Paths.h"
#include "base/Workspace.h"
#include "servers/IpRangesFile.h"
#include "servers/ProviderTable.h"
#include "servers/ServerList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vh::cli {

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

base::Problems WorkspaceCheck::problems(const QString& baseFolder, bool needWritable)
{
    const QFileInfo base(baseFolder);
    if (!base.exists())
        return {QStringLiteral("base folder %1 does not exist").arg(baseFolder)};
    if (!base.isDir())
        return {QStringLiteral("base folder %1 is not a folder").arg(baseFolder)};
    const QFileInfo data(QDir(baseFolder).filePath(QStringLiteral("data")));
    if (!data.isDir())
        return {base::Workspace::missingDataMessage(baseFolder)};
    if (needWritable && (!data.isWritable() || !base.isWritable()))
        return {QStringLiteral("base folder %1 or its data folder is not writable").arg(baseFolder)};
    return {};
}

WorkspaceCheck::KnownNames WorkspaceCheck::readKnownNames(const QString& baseFolder)
{
    const QDir base(baseFolder);
    servers::ProviderTable providers;
    servers::ServerList list;
    servers::LoadIpRanges(readFile(base.filePath(base::Paths::IpRangesFile)), providers, list);
    KnownNames known;
    for (int p = 1; p <= providers.ProviderCount(); ++p) {
        const QString name = providers.providerName(p);
        if (!known.providers.contains(name))
            known.providers << name;
    }
    known.maps = list.LoadServers(readFile(base.filePath(base::Paths::ServersFile)));
    return known;
}

base::Problems WorkspaceCheck::unknownNames(const QStringList& asked, const QStringList& known, const QString& what)
{
    QStringList unknown;
    for (const QString& name : asked) {
        if (!known.contains(name, Qt::CaseInsensitive))
            unknown << QLatin1Char('"') + name + QLatin1Char('"');
    }
    if (unknown.isEmpty())
        return {};
    QStringList quoted;
    for (const QString& name : known)
        quoted << QLatin1Char('"') + name + QLatin1Char('"');
    return {QStringLiteral("unknown %1 %2; known: %3")
                .arg(what, unknown.join(QStringLiteral(", ")),
                     quoted.isEmpty() ? QStringLiteral("none") : quoted.join(QStringLiteral(", ")))};
}

} // namespace vh::cli
