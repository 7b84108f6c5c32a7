#pragma once

#include <QObject>
#include <QString>

class QNetworkAccessManager;

namespace vh::app {
class AppCore;
}

namespace vh::banlists {

// Keeps the two local banlists current: the fetch of a missing list at start-up, the menu command that
// fetches both, and the version checks that compare the published info text with the loaded one and fetch
// and reload a list that changed. Every wait yields to the event loop.
class BanlistUpdate final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BanlistUpdate)

public:
    static constexpr int DefaultCheckTimeoutMs = 30000;

    explicit BanlistUpdate(app::AppCore& core, QObject* parent = nullptr);
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
    void CheckAASAbanlistversion();
    void CheckACIbanlistversion();
    void setCheckTimeout(int ms) { m_checkTimeoutMs = ms; }

    bool AasaBanlistDownloading = false;
    bool AciBanlistDownloading = false;
    bool BanlistCheckDone = true;

private:
    enum class List
    {
        Aasa,
        Aci
    };
    void fetch(const QString& url, const QString& file, const QString& caption, bool* downloading);
    void checkVersion(List list);
    // The first bytes of the published list, or false when the request brought no answer.
    bool fetchHead(const QString& url, QByteArray* head, QString* error);

    app::AppCore& m_core;
    QNetworkAccessManager* m_network = nullptr;
    int m_checkTimeoutMs = DefaultCheckTimeoutMs;
};

} // namespace vh::banlists
