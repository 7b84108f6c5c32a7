#pragma once

#include "base/Checked.h"

#include <QString>
#include <QStringList>

namespace vh::cli {

// What varnholt-cli checks before it touches a base folder, and the names it may be asked to select.
class WorkspaceCheck final
{
public:
    // Why the folder cannot be a workspace (missing, not a folder, no data folder, data folder not writable
    // when asked for), or nothing when it can. Looks only, writes nothing.
    static base::Problems problems(const QString& baseFolder, bool needWritable);

    // Provider and map names the filter lists will offer, read from data/ipranges.dat and data/servers.dat
    // without changing anything.
    struct KnownNames
    {
        QStringList providers;
        QStringList maps;
    };
    static KnownNames readKnownNames(const QString& baseFolder);

    // The names asked for that the lists do not know (letter case aside), as one message listing the known
    // ones; nothing when every name is known.
    static base::Problems unknownNames(const QStringList& asked, const QStringList& known, const QString& what);
};

} // namespace vh::cli
