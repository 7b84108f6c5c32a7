#include "cli/CommandInput.h"

#include "base/Paths.h"
#include "database/Database.h"
#include "database/DatabaseFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QString>

namespace vh::cli {

void say(QIODevice& err, const QString& message)
{
    err.write(QByteArrayLiteral("varnholt-cli: ") + message.toUtf8() + '\n');
}

DatabaseRead readDatabaseReadOnly(const QString& baseFolder, database::Database& db, QIODevice& err,
                                  const QString& afterDamage)
{
    const QString path = QDir(baseFolder).filePath(base::Paths::DatabaseFile);
    if (!QFileInfo::exists(path))
        return DatabaseRead::Whole;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        say(err, QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        return DatabaseRead::Unreadable;
    }
    const base::Checked<int> result = database::DatabaseFile::parse(file.readAll(), db);
    if (result.ok())
        return DatabaseRead::Whole;
    say(err, QStringLiteral("%1 is damaged at entry %2 (%3); ")
                     .arg(path)
                     .arg(result.value)
                     .arg(result.problems.join(QStringLiteral("; "))) +
                 afterDamage.arg(db.EntryCount()));
    return DatabaseRead::Damaged;
}

} // namespace vh::cli
