#pragma once

#include <QString>
#include <QtGlobal>

namespace vh::servers {

// One game server, made from an address of a provider's range.
struct ServerEntry
{
    QString IP; // dotted address without port; the key of the entry
    QString ServerName;
    QString RunningMap;
    qint16 Provider = 0; // 1-based slot in the provider table
    QString PageURL;
    bool Valid = false; // the GameSpy master list knows the address
};

// The name and map of a server the status query has not heard from yet.
inline const QString UnknownText = QStringLiteral("Unknown");

} // namespace vh::servers
