#include "report/AasaReport.h"

#include "banlists/Banlists.h"
#include "base/ActivityLog.h"
#include "base/Colours.h"
#include "base/Links.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "collect/DownloadPool.h"
#include "database/Database.h"
#include "platform/AtomicFile.h"
#include "report/Browser.h"
#include "report/ReportPage.h"
#include "report/VaultPath.h"

#include <QDir>
#include <QFile>
#include <QUrl>

#include <utility>

namespace vh::report {

const QString AasaReport::ResponsibilityWarning =
    QStringLiteral("Remember that when you report this ScreenShot, YOU are resposible for that the information\n"
                   "that is submitted to AASA is correct\n"
                   "\n"
                   "This Messagebox can be disabled under File/Preferences\n"
                   "Uncheck the checkbox next to 'Warn User about that USER is resonsible that reports are correct'\n"
                   "\n"
                   "Happy Hunting, and start providing AASA with QUALITY reports");

AasaReport::AasaReport(database::Database& database, const banlists::Banlists& banlists, collect::DownloadPool& pool,
                       const base::Settings& settings, base::ActivityLog& log, const base::Workspace& workspace,
                       const base::Links& links, Browser& browser, QString appTitle, QObject* parent)
    : QObject(parent), m_database(database), m_banlists(banlists), m_pool(pool), m_settings(settings), m_log(log),
      m_workspace(workspace), m_links(links), m_browser(browser), m_appTitle(std::move(appTitle))
{
}

void AasaReport::setVersionChecks(std::function<void()> aasa, std::function<void()> aci)
{
    m_checkAasa = std::move(aasa);
    m_checkAci = std::move(aci);
}

AasaReport::Result AasaReport::MnuCreateAASAreport(int entryIndex)
{
    if (m_checkAasa)
        m_checkAasa();
    if (m_checkAci)
        m_checkAci();
    return CreateAasaReport(entryIndex);
}

AasaReport::Result AasaReport::CreateAasaReport(int entryIndex)
{
    if (entryIndex < 1 || entryIndex > m_database.EntryCount())
        return {};
    // a copy: the fetch below lets events run, and they may add entries and move the table
    const database::ScreenshotEntry e = std::as_const(m_database).entry(entryIndex);
    if (e.ShotFile.isEmpty())
        return {};

    const banlists::Banlist& aasa = m_banlists.AasaBans();
    if (const int hit = findAasaPbssBan(aasa, e.IndexText)) {
        m_log.Log(QStringLiteral("          Already Banned by AASA as: ") +
                      QString::fromLatin1(aasa.entry(hit).BannedName) + QStringLiteral(", Reason: ") +
                      QString::fromLatin1(aasa.entry(hit).Reason) + QStringLiteral(", report not Created"),
                  base::Colours::Red);
        return {Outcome::AlreadyBanned, QString()};
    }

    ReportInput input;
    input.AppTitle = m_appTitle.toLatin1();
    input.AasaSearchUrl = m_links.AasaSearchUrl.toLatin1();
    input.AasaReportUrl = m_links.AasaReportUrl.toLatin1();
    input.GUID = e.GUID;
    input.IndexText = e.IndexText;
    input.ServerURL = e.ServerURL;
    input.AutoDetected = e.AutoDetected;
    const QString pngPath = vaultPngPath(m_workspace, e.VaultName);
    input.localPngPath = QFile::encodeName(pngPath);
    input.fetchedPage = m_pool.GetFile2(QString::fromLatin1(shotAddress(e.ServerURL, e.IndexText, ".htm")), entryIndex);
    if (!isGonePage(input.fetchedPage)) {
        if (m_settings.isOn(base::Setting::WarnReportResponsibility))
            Q_EMIT warnResponsibility(m_appTitle, ResponsibilityWarning);
        QFile png(pngPath);
        if (png.open(QIODevice::ReadOnly))
            input.pngBytes = png.readAll();
    }

    const QString reports = QDir::cleanPath(QDir(m_workspace.BaseFolder()).absoluteFilePath(base::Paths::Reports));
    const QString file = reports + QLatin1Char('/') + reportFileName(e.GUID, e.VaultName);
    const base::Problems problems = !QDir().mkpath(reports)
                                        ? base::Problems{QStringLiteral("cannot create the folder")}
                                        : platform::writeFileAtomically(file, buildReportPage(input));
    if (!problems.isEmpty()) {
        m_log.Log(QStringLiteral("Problems in Creating Report, error:") + problems.join(QStringLiteral("; ")) +
                  QStringLiteral(" ") + QDir::toNativeSeparators(file));
        return {Outcome::WriteFailed, QString()};
    }
    if (m_opensBrowser)
        m_browser.StartNewBrowser(QUrl::fromLocalFile(file).toString());
    return {Outcome::Written, file};
}

} // namespace vh::report
