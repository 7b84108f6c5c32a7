#include "collect/Downloader.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace vh::collect {

namespace {

// The server answered with an error status and a body (an error page): the transfer itself went through,
// and the intake or the page check decides about the body.
bool isHttpStatusError(QNetworkReply::NetworkError error)
{
    return (error >= QNetworkReply::ContentAccessDenied && error <= QNetworkReply::UnknownContentError) ||
           (error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError);
}

} // namespace

Downloader::Downloader(QNetworkAccessManager& manager, QObject* parent) : QObject(parent), m_manager(manager)
{
    m_idleTimer.setSingleShot(true);
    m_transferTimer.setSingleShot(true);
    connect(&m_idleTimer, &QTimer::timeout, this, &Downloader::abortTransfer);
    connect(&m_transferTimer, &QTimer::timeout, this, &Downloader::abortTransfer);
}

Downloader::~Downloader()
{
    dropReply();
}

void Downloader::BeginDownload(const QString& url, const QString& saveFile)
{
    dropReply();
    m_saveFile = saveFile;
    m_received = 0;
    m_failed = false;
    m_writeError.clear();
    m_reportProgress = !saveFile.endsWith(QLatin1String(".png"), Qt::CaseInsensitive);

    QNetworkRequest request{QUrl(url)};
    // a screenshot or page answered from a cache would hide what the server publishes now
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(m_limits.maxRedirects);

    QNetworkReply* reply = m_manager.get(request);
    m_reply = reply;
    connect(reply, &QNetworkReply::metaDataChanged, this, &Downloader::onMetaData);
    connect(reply, &QNetworkReply::readyRead, this, &Downloader::onReadyRead);
    connect(reply, &QNetworkReply::finished, this, &Downloader::onFinished);
    connect(reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64 total) {
        if (m_reportProgress && !m_failed)
            Q_EMIT DownloadProgress(received, total, m_saveFile);
    });
    // the idle clock starts when the request leaves the manager's queue (six connections per server), so
    // many workers fetching from one server do not time out while waiting their turn
    const auto startIdleClock = [this] {
        if (!m_failed)
            m_idleTimer.start(m_limits.idleTimeoutMs);
    };
    connect(reply, &QNetworkReply::socketStartedConnecting, this, startIdleClock);
    connect(reply, &QNetworkReply::requestSent, this, startIdleClock);
    // a transfer that never ends must still free its worker
    m_transferTimer.start(m_limits.transferTimeoutMs);
}

bool Downloader::CancelAsyncRead()
{
    return isBusy();
}

void Downloader::onMetaData()
{
    if (!m_reply || m_failed)
        return;
    bool ok = false;
    const qint64 announced = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&ok);
    if (ok && announced > m_limits.maxTransferBytes)
        abortTransfer();
}

void Downloader::onReadyRead()
{
    if (!m_reply || m_failed)
        return;
    m_idleTimer.start(m_limits.idleTimeoutMs);
    const QByteArray chunk = m_reply->readAll();
    if (chunk.isEmpty())
        return;
    if (m_received + chunk.size() > m_limits.maxTransferBytes) {
        abortTransfer();
        return;
    }
    m_received += chunk.size();
    if (!m_writeError.isEmpty())
        return;
    if (!m_file) {
        m_file = std::make_unique<platform::StagedFile>(m_saveFile, m_sync);
        // a file that cannot be written costs the data, never the events
        if (!m_file->open()) {
            m_writeError = m_file->errorString();
            m_file->cancelWriting();
            return;
        }
    }
    const qint64 written = m_file->write(chunk);
    if (written != chunk.size()) {
        m_writeError = written < 0
                           ? m_file->errorString()
                           : QStringLiteral("only %1 of %2 bytes could be written").arg(written).arg(chunk.size());
        m_file->cancelWriting();
    }
}

void Downloader::abortTransfer()
{
    if (!m_reply)
        return;
    m_failed = true;
    m_reply->abort();
}

void Downloader::onFinished()
{
    QNetworkReply* reply = m_reply;
    if (!reply)
        return;
    onReadyRead();
    m_idleTimer.stop();
    m_transferTimer.stop();
    const QNetworkReply::NetworkError error = reply->error();
    // a transfer cut off by the server or the network, or one that ended before the length the server
    // announced, is a failed transfer: its half file never reaches the intake
    bool announcedOk = false;
    const qint64 announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&announcedOk);
    const bool complete = error == QNetworkReply::NoError || isHttpStatusError(error);
    const bool shortOfAnnounced = announcedOk && announced >= 0 && m_received != announced;
    bool keep = !m_failed && complete && !shortOfAnnounced && m_received > 0 && m_writeError.isEmpty();
    if (m_file) {
        if (keep && !m_file->commit()) {
            m_writeError = m_file->errorString();
            keep = false;
        } else if (!keep) {
            m_file->cancelWriting();
        }
        m_file.reset();
    }
    reply->disconnect(this);
    reply->deleteLater();
    m_reply = nullptr;

    const QString saveFile = m_saveFile;
    const qint64 total = keep ? m_received : 0;
    if (!m_writeError.isEmpty())
        Q_EMIT WriteFailed(saveFile, m_writeError);
    if (!keep)
        Q_EMIT DownloadError(saveFile);
    Q_EMIT DownloadComplete(total, saveFile);
}

void Downloader::dropReply()
{
    m_idleTimer.stop();
    m_transferTimer.stop();
    if (m_reply) {
        QNetworkReply* reply = m_reply;
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    if (m_file) {
        m_file->cancelWriting();
        m_file.reset();
    }
}

} // namespace vh::collect
