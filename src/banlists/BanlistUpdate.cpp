#include "banlists/BanlistUpdate.h"

#include "banlists/BanlistVersion.h"
#include "banlists/Banlists.h"
#include "base/ActivityLog.h"
#include "base/FileFetcher.h"
#include "base/Links.h"
#include "base/Paths.h"
#include "base/RunFlags.h"
#include "base/Workspace.h"
#include "platform/AtomicFile.h"
#include "platform/EventWait.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QUrl>

namespace vh::banlists {

BanlistUpdate::BanlistUpdate(base::ActivityLog& log, const base::Workspace& workspace, const base::Links& links,
                             base::RunFlags& flags, Banlists& banlists, base::FileFetcher& fetcher, QObject* parent)
    : QObject(parent), m_log(log), m_workspace(workspace), m_links(links), m_flags(flags), m_banlists(banlists),
      m_fetcher(fetcher)
{
}

BanlistUpdate::~BanlistUpdate() = default;

void BanlistUpdate::fetch(const QString& url, const QString& file, const QString& caption, bool* downloading)
{
    // a stop left over from an earlier run would end the fetch's wait at once
    m_flags.StopRequested = 0;
    Q_EMIT busyChanged(true);
    m_fetcher.setStatusText(caption);
    if (downloading)
        *downloading = true;
    const QString fetched = m_workspace.path(base::Paths::Temp) + QLatin1Char('/') + QFileInfo(file).fileName();
    QFile::remove(fetched);
    m_fetcher.FetchToFile(url, fetched);
    if (downloading)
        *downloading = false;
    keepIfBanlist(fetched, file);
    m_fetcher.setStatusText(QString());
    Q_EMIT busyChanged(false);
    m_flags.StopRequested = 1;
}

void BanlistUpdate::keepIfBanlist(const QString& fetched, const QString& file)
{
    QFile in(fetched);
    if (!in.open(QIODevice::ReadOnly))
        return; // nothing arrived: the list stays as it was
    const QByteArray content = in.readAll();
    in.close();
    QFile::remove(fetched);
    // an error page in place of the list would leave no list at all
    const bool aasa = file.endsWith(QStringLiteral("aasaprivbanguid.txt"));
    if (!content.left(VersionHeadLength).contains('[')) {
        m_log.Log(QStringLiteral("Problem with ") + (aasa ? QStringLiteral("AASA") : QStringLiteral("ACI")) +
                  QStringLiteral("-Banlist, the download is not a banlist"));
        return;
    }
    for (const QString& problem : platform::writeFileAtomically(file, content))
        m_log.Log(QStringLiteral("Problem with ") + (aasa ? QStringLiteral("AASA") : QStringLiteral("ACI")) +
                  QStringLiteral("-Banlist, error:") + problem);
}

void BanlistUpdate::DownloadAasaBanlist()
{
    fetch(m_links.AasaBanlistUrl, m_workspace.path(base::Paths::AasaBanlistFile),
          QStringLiteral("Loading aasaprivbanguid.txt"), &AasaBanlistDownloading);
}

void BanlistUpdate::DownloadAciBanlist()
{
    fetch(m_links.AciBanlistUrl, m_workspace.path(base::Paths::AciBanlistFile),
          QStringLiteral("Loading ACI pbbans.txt"), &AciBanlistDownloading);
}

void BanlistUpdate::DownloadBanlists()
{
    DownloadAasaBanlist();
    m_banlists.LoadAasaBanlist();
    DownloadAciBanlist();
    m_banlists.LoadAciBanlist();
}

QString BanlistUpdate::startupAasaUrl() const
{
    QUrl url(m_links.AasaBanlistUrl);
    url.setScheme(QStringLiteral("http"));
    url.setPath(QStringLiteral("/aasaprivbanguid.txt"));
    url.setQuery(QString());
    url.setFragment(QString());
    return url.toString();
}

void BanlistUpdate::fetchMissingBanlists()
{
    // without Links.dat there is no server to ask
    const QString aasa = m_workspace.path(base::Paths::AasaBanlistFile);
    if (!QFile::exists(aasa) && !QUrl(m_links.AasaBanlistUrl).host().isEmpty())
        fetch(startupAasaUrl(), aasa, QStringLiteral("Loading aasaprivbanguid"), nullptr);
    const QString aci = m_workspace.path(base::Paths::AciBanlistFile);
    if (!QFile::exists(aci) && !QUrl(m_links.AciBanlistUrl).host().isEmpty())
        fetch(m_links.AciBanlistUrl, aci, QStringLiteral("Loading ACI pbbans.txt"), nullptr);
}

base::Checked<QByteArray> BanlistUpdate::fetchHead(const QString& url)
{
    QByteArray head;
    QString error;
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    QNetworkRequest request{QUrl(url)};
    request.setTransferTimeout(m_checkTimeoutMs);
    QPointer<QNetworkReply> reply = m_network->get(request);
    BanlistCheckDone = false;
    bool answered = false;
    // only the head is compared: the rest of a list that may run to megabytes is not fetched
    const auto take = [&] {
        head.append(reply->read(VersionHeadLength - head.size()));
        answered = answered || !head.isEmpty();
        if (head.size() >= VersionHeadLength && !BanlistCheckDone) {
            BanlistCheckDone = true;
            reply->abort();
        }
    };
    connect(reply, &QNetworkReply::readyRead, this, take);
    connect(reply, &QNetworkReply::finished, this, [&] {
        if (!BanlistCheckDone && reply->isOpen())
            take();
        error = reply->errorString();
        BanlistCheckDone = true;
    });
    platform::waitUntil([this] { return BanlistCheckDone; });
    if (reply) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    if (!answered)
        return base::Checked<QByteArray>::failed(error, head);
    return base::Checked<QByteArray>::good(head);
}

void BanlistUpdate::checkVersion(List list)
{
    const bool aasa = list == List::Aasa;
    const QString name = aasa ? QStringLiteral("AASA") : QStringLiteral("ACI");
    const base::Checked<QByteArray> fetched = fetchHead(aasa ? m_links.AasaBanlistUrl : m_links.AciBanlistUrl);
    for (const QString& problem : fetched.problems)
        m_log.Log(QStringLiteral("Problem with ") + name + QStringLiteral("-Banlist, no answer: ") + problem);
    if (!fetched.ok())
        return;
    const QByteArray& head = fetched.value;
    const std::optional<QString> published = aasa ? publishedAasaInfo(head) : publishedAciInfo(head);
    if (!published) {
        m_log.Log(QStringLiteral("Problem with ") + name + QStringLiteral("-Banlist"));
        return;
    }
    const QString expected = aasa ? aasaInfoPanelText(*published) : aciInfoPanelText(*published);
    if (expected == m_banlists.panelText(aasa ? 4 : 6)) {
        m_log.Log(name + QStringLiteral(" banlist upto date"));
        return;
    }
    m_log.Log(QStringLiteral("Outdated ") + name + QStringLiteral(" banlist detected, downloading ") + *published);
    if (aasa) {
        DownloadAasaBanlist();
        m_banlists.LoadAasaBanlist();
    } else {
        DownloadAciBanlist();
        m_banlists.LoadAciBanlist();
    }
}

void BanlistUpdate::CheckAASAbanlistversion()
{
    checkVersion(List::Aasa);
}

void BanlistUpdate::CheckACIbanlistversion()
{
    checkVersion(List::Aci);
}

} // namespace vh::banlists
