#include "report/VaultPath.h"

#include "base/Paths.h"
#include "base/Workspace.h"

#include <QDir>

namespace vh::report {

QString vaultPngPath(const base::Workspace& workspace, const QByteArray& vaultName)
{
    const QString base = QDir::cleanPath(QDir(workspace.BaseFolder()).absolutePath());
    return QDir::toNativeSeparators(base + QLatin1Char('/') + base::Paths::Vault + QLatin1Char('/') +
                                    QString::fromLatin1(vaultName) + QStringLiteral(".png"));
}

} // namespace vh::report
