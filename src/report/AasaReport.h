#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace vh::base {
class ActivityLog;
class Settings;
class Workspace;
struct Links;
} // namespace vh::base

namespace vh::banlists {
class Banlists;
}

namespace vh::collect {
class DownloadPool;
}

namespace vh::database {
class Database;
}

namespace vh::report {

class Browser;

// The HTML page that walks the administrator through reporting a player to AASA: written to reports/ and
// opened in the browser, unless AASA already banned the GUID for a screenshot.
class AasaReport final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AasaReport)

public:
    static const QString ResponsibilityWarning;

    enum class Outcome
    {
        Nothing,       // no such entry, or an entry without a shot file
        AlreadyBanned, // the red line was logged, no file
        Written,
        WriteFailed
    };
    struct Result
    {
        Outcome outcome = Outcome::Nothing;
        QString file; // the report's path when it was written
    };

    AasaReport(database::Database& database, const banlists::Banlists& banlists, collect::DownloadPool& pool,
               const base::Settings& settings, base::ActivityLog& log, const base::Workspace& workspace,
               const base::Links& links, Browser& browser, QString appTitle, QObject* parent = nullptr);

    // The two banlist version checks the menu command runs first.
    void setVersionChecks(std::function<void()> aasa, std::function<void()> aci);
    // Off for a collector without a desktop: the report is written but no browser starts.
    void setOpensBrowser(bool opens) { m_opensBrowser = opens; }

    // Builds, saves and opens the report of entry i (1-based).
    Result CreateAasaReport(int entryIndex);
    // "Create Report for AASA on Player": both version checks, then the report.
    Result MnuCreateAASAreport(int entryIndex);

Q_SIGNALS:
    // Raised before the page is built while WarnReportResponsibility is on; a window shows it modally.
    void warnResponsibility(const QString& title, const QString& text);

private:
    database::Database& m_database;
    const banlists::Banlists& m_banlists;
    collect::DownloadPool& m_pool;
    const base::Settings& m_settings;
    base::ActivityLog& m_log;
    const base::Workspace& m_workspace;
    const base::Links& m_links;
    Browser& m_browser;
    QString m_appTitle;
    std::function<void()> m_checkAasa;
    std::function<void()> m_checkAci;
    bool m_opensBrowser = true;
};

} // namespace vh::report
