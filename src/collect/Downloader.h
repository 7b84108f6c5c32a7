#pragma once

#include "collect/NetworkLimits.h"
#include "platform/AtomicFile.h"

#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>

class QNetworkAccessManager;

namespace vh::collect {

// One download worker: fetches one address at a time into one file and reports the end of every transfer
// as events on the thread that owns it. Workers share one network manager, which they do not own.
class Downloader final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Downloader)

public:
    explicit Downloader(QNetworkAccessManager& manager, QObject* parent = nullptr);
    ~Downloader() override;

    void setLimits(const NetworkLimits& limits) { m_limits = limits; }
    const NetworkLimits& limits() const { return m_limits; }
    // Durable (the default): each finished file is on the disk before DownloadComplete. Screenshot workers
    // leave that to the database save (Cached), or each transfer would wait on the disk.
    void setWriteSync(platform::StagedFile::Sync sync) { m_sync = sync; }

    // Starts the transfer; a transfer still running on this worker is dropped without events.
    void BeginDownload(const QString& url, const QString& saveFile);
    // Running transfers are left to end with their own events; true when one is still under way.
    bool CancelAsyncRead();
    bool isBusy() const { return m_reply != nullptr; }
    QString saveFile() const { return m_saveFile; }

Q_SIGNALS:
    // Only for save files not ending in ".png": pages and banlists show progress, screenshots do not.
    void DownloadProgress(qint64 bytesRead, qint64 bytesTotal, const QString& saveFile);
    // The transfer delivered no data, or not all of it: it was cut off, ended in a network error or before
    // its announced length, or its file could not be written.
    void DownloadError(const QString& saveFile);
    // The received data could not be written to the save file (a full disk, for one); raised before
    // DownloadError, once per transfer.
    void WriteFailed(const QString& saveFile, const QString& reason);
    // Raised after every transfer, also after DownloadError.
    void DownloadComplete(qint64 bytesTotal, const QString& saveFile);

private:
    void onReadyRead();
    void onFinished();
    void onMetaData();
    void abortTransfer(); // time-out or size limit: the partial data is thrown away
    void dropReply();

    QNetworkAccessManager& m_manager;
    NetworkLimits m_limits;
    QPointer<QNetworkReply> m_reply;
    platform::StagedFile::Sync m_sync = platform::StagedFile::Sync::Durable;
    std::unique_ptr<platform::StagedFile> m_file;
    QString m_saveFile;
    qint64 m_received = 0;
    bool m_failed = false; // set when we cut the transfer off ourselves
    QString m_writeError;  // why the save file could not be written
    bool m_reportProgress = false;
    QTimer m_idleTimer;
    QTimer m_transferTimer;
};

} // namespace vh::collect
