#pragma once

namespace vh::banlists {

// The two banlist version checks as a collection runs them between visits; each returns when its check has
// finished. The banlist update implements them; a visit only needs to call them.
class VersionChecks
{
public:
    virtual ~VersionChecks() = default;

    virtual void CheckAASAbanlistversion() = 0;
    virtual void CheckACIbanlistversion() = 0;

protected:
    VersionChecks() = default;
    VersionChecks(const VersionChecks&) = default;
    VersionChecks& operator=(const VersionChecks&) = default;
};

} // namespace vh::banlists
