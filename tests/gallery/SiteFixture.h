#pragma once

#include "banlists/Banlists.h"
#include "base/ActivityLog.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "database/Database.h"
#include "database/DatabaseFile.h"
#include "gallery/GallerySite.h"
#include "util/TestWorkspace.h"

namespace vh::test {

// A gallery site over a workspace holding these entries; pictures go to the first entries, one each.
struct SiteFixture
{
    SiteFixture(const QList<database::ScreenshotEntry>& entries, const QByteArrayList& pictures)
    {
        database::Database db;
        for (const database::ScreenshotEntry& e : entries)
            db.append(e);
        for (int n = 1; n <= pictures.size(); ++n)
            ws.write(QStringLiteral("PBSS/vault/") + QString::fromLatin1(db.entry(n).VaultName) +
                         QStringLiteral(".png"),
                     pictures.at(n - 1));
        ws.write(QStringLiteral("data/database.dat"), database::DatabaseFile::serialize(db));
    }

    TestWorkspace ws;
    base::Settings settings;
    base::ActivityLog log{settings};
    base::Workspace workspace{ws.base()};
    banlists::Banlists bans{log, workspace};
    gallery::GallerySite site{workspace, bans, log};
};

} // namespace vh::test
