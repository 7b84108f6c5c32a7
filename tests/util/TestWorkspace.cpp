#include "util/TestWorkspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vh::test {

TestWorkspace::TestWorkspace()
{
    QDir(m_dir.path()).mkpath(QStringLiteral("data"));
}

QString TestWorkspace::write(const QString& relative, const QByteArray& content) const
{
    const QString full = path(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
    return full;
}

QByteArray TestWorkspace::read(const QString& relative) const
{
    QFile file(path(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString testDataPath(const QString& relative)
{
    return qEnvironmentVariable("VARNHOLT_TEST_DATA") + QLatin1Char('/') + relative;
}

} // namespace vh::test
