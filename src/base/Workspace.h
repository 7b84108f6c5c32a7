#pragma once

#include <QString>
#include <QStringList>

namespace vh::base {

// The base folder and the workspace folders under it.
class Workspace final
{
public:
    explicit Workspace(QString baseFolder = QString()) : m_base(std::move(baseFolder)) {}

    // The executable's own folder when its name without extension is exactly "Varnholt" and that folder is not
    // a program folder named "bin" (an installed copy), otherwise the fixed folder; an explicit folder given on
    // the command line wins over both.
    static QString resolveBaseFolder(const QString& executablePath, const QString& overrideFolder = QString());
    static QString fallbackBaseFolder();

    // The workspace folders in the order they are created; each parent comes before its children.
    static const QStringList& folders();

    const QString& BaseFolder() const { return m_base; }
    void setBaseFolder(const QString& folder) { m_base = folder; }
    // The base folder joined with a relative path of the program ("data/database.dat").
    QString path(const QString& relative) const;

    // A workspace is a base folder with a data folder; without one nothing under the base folder is created.
    bool hasDataFolder() const;
    // The one line that says a folder is no workspace and how to get one.
    static QString missingDataMessage(const QString& baseFolder);

    // Creates the missing workspace folders; returns the folders that could not be created.
    QStringList createFolders() const;
    // Deletes unfinished downloads (PBSS/*.png) and fetched pages (temp/*.htm); the vault is not touched.
    void deleteLeftovers() const;

private:
    QString m_base;
};

} // namespace vh::base
