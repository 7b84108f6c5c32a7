#pragma once

#include <QByteArray>

namespace vh::banlists {

// One banned GUID as a published banlist states it.
struct BanEntry
{
    QByteArray Guid;
    QByteArray BannedName; // double quotes removed
    QByteArray Reason;

    bool operator==(const BanEntry&) const = default;
};

} // namespace vh::banlists
