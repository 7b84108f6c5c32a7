#pragma once

#include "banlists/VersionChecks.h"

#include <QObject>
#include <QString>

class QNetworkAccessManager;

namespace vh::base {
class ActivityLog;
class FileFetcher;
struct Links;
struct RunFlags;
class Workspace;
} // namespace vh::base

namespace vh::banlists {

class Banlists;

// Keeps the two local banlists current: the fetch of a missing list at start-up, the menu command that
// fetches both, and the version checks that compare the published info text with the loaded one and fetch
// and reload a list that changed. Every wait yields to the event loop.
class BanlistUpdate final : public QObject, public VersionChecks
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BanlistUpdate)

public:
    static constexpr int DefaultCheckTimeoutMs = 30000;

    BanlistUpdate(base::ActivityLog& log, const base::Workspace& workspace, const base::Links& links,
                  base::RunFlags& flags, Banlists& banlists, base::FileFetcher& fetcher, QObject* parent = nullptr);
    ~BanlistUpdate() override;

    // Fetch the list into its file and return when the transfer has ended; a run in progress ends after it.
    void DownloadAasaBanlist();
    void DownloadAciBanlist();
    // "Download Banlists(AASA and ACI)": both fetched, each loaded after its fetch.
    void DownloadBanlists();
    // Fetches each list whose file is missing; an existing file is left alone.
    void fetchMissingBanlists();
    // The address of the start-up AASA fetch: the AASA banlist server, plain HTTP, "/aasaprivbanguid.txt".
    QString startupAasaUrl() const;

    // One version check each; they return when the check has finished, also when the request failed.
    void CheckAASAbanlistversion() override;
    void CheckACIbanlistversion() override;
    void setCheckTimeout(int ms) { m_checkTimeoutMs = ms; }

    bool AasaBanlistDownloading = false;
    bool AciBanlistDownloading = false;
    bool BanlistCheckDone = true;

Q_SIGNALS:
    // A list fetch began (true) or ended (false): the windows lock their controls meanwhile.
    void busyChanged(bool busy);

private:
    enum class List
    {
        Aasa,
        Aci
    };
    void fetch(const QString& url, const QString& file, const QString& caption, bool* downloading);
    // Replaces the list's file with the fetched one when that holds a list; an error page is dropped.
    void keepIfBanlist(const QString& fetched, const QString& file);
    void checkVersion(List list);
    // The first bytes of the published list, or false when the request brought no answer.
    bool fetchHead(const QString& url, QByteArray* head, QString* error);

    base::ActivityLog& m_log;
    const base::Workspace& m_workspace;
    const base::Links& m_links;
    base::RunFlags& m_flags;
    Banlists& m_banlists;
    base::FileFetcher& m_fetcher;
    QNetworkAccessManager* m_network = nullptr;
    int m_checkTimeoutMs = DefaultCheckTimeoutMs;
};

} // namespace vh::banlists
