#pragma once

#include <QByteArray>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

namespace vh::test {

// A fresh base folder in a temporary directory, with the data folder every workspace must have.
class TestWorkspace final
{
public:
    TestWorkspace();

    QString base() const { return m_dir.path(); }
    QString path(const QString& relative) const { return m_dir.path() + QLatin1Char('/') + relative; }
    // Writes the file (creating its folders) and returns its full path.
    QString write(const QString& relative, const QByteArray& content) const;
    QByteArray read(const QString& relative) const;
    bool exists(const QString& relative) const { return QFileInfo::exists(path(relative)); }

private:
    QTemporaryDir m_dir;
};

// Where the fixture files of the suites live (tests/data).
QString testDataPath(const QString& relative);

} // namespace vh::test
