#pragma once

#include <QString>

namespace vh::servers {

// A hosting provider: its name in the provider filter list and the template of its servers' index pages.
struct ProviderEntry
{
    QString Name;
    QString Path; // every "%ip%", in any letter case, stands for the server's address
};

} // namespace vh::servers
