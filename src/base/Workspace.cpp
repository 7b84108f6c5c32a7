#include "base/Workspace.h"

#include "base/Paths.h"

#include <QDir>
#include <QFileInfo>

namespace vh::base {

QString Workspace::fallbackBaseFolder()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:/Varnholt");
#else
    return QDir::homePath() + QStringLiteral("/Varnholt");
#endif
}

QString Workspace::resolveBaseFolder(const QString& executablePath, const QString& overrideFolder)
{
    if (!overrideFolder.isEmpty())
        return QDir::cleanPath(QDir(overrideFolder).absolutePath());
    const QFileInfo exe(executablePath);
    // an installed copy sits in a program folder shared with every other program (/usr/bin, ~/.local/bin):
    // that is no workspace, and the user's own folder serves instead
    const bool installed = exe.absoluteDir().dirName() == QLatin1String("bin");
    if (exe.completeBaseName() == QLatin1String("Varnholt") && !installed)
        return QDir::cleanPath(exe.absolutePath());
    return fallbackBaseFolder();
}

const QStringList& Workspace::folders()
{
    static const QStringList list{Paths::Reports, Paths::Temp,   Paths::Pbss,  Paths::Vault,
                                  Paths::Archive, Paths::Failed, Paths::Queue, Paths::Banlists};
    return list;
}

QString Workspace::path(const QString& relative) const
{
    return m_base + QLatin1Char('/') + relative;
}

bool Workspace::hasDataFolder() const
{
    return QFileInfo(path(QStringLiteral("data"))).isDir();
}

QString Workspace::missingDataMessage(const QString& baseFolder)
{
    return QStringLiteral("base folder %1 has no data folder, so it is no workspace (data/ holds Links.dat, "
                          "Settings.dat, ipranges.dat and the database): start with --base-folder DIR on a "
                          "workspace, or try `make demo` (varnholt-sim --workspace DIR writes one)")
        .arg(QDir::toNativeSeparators(baseFolder));
}

QStringList Workspace::createFolders() const
{
    QStringList failed;
    for (const QString& folder : folders()) {
        const QString full = path(folder);
        if (!QFileInfo(full).isDir() && !QDir().mkdir(full))
            failed << full;
    }
    return failed;
}

void Workspace::deleteLeftovers() const
{
    const auto wipe = [](const QString& folder, const QString& pattern) {
        QDir dir(folder);
        if (!dir.exists())
            return;
        for (const QString& name : dir.entryList({pattern}, QDir::Files))
            dir.remove(name);
    };
    wipe(path(Paths::Pbss), QStringLiteral("*.png"));
    wipe(path(Paths::Temp), QStringLiteral("*.htm"));
}

} // namespace vh::base
