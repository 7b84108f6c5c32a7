#pragma once

#include <QByteArray>
#include <QString>

namespace vh::base {
class Workspace;
}

namespace vh::report {

// The PNG of a vault entry as an absolute path in the platform's own form: what the report shows and the
// upload names.
QString vaultPngPath(const base::Workspace& workspace, const QByteArray& vaultName);

} // namespace vh::report
