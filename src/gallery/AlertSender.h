#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>

class QNetworkAccessManager;
class QNetworkReply;

namespace vh::base {
class ActivityLog;
struct Links;
} // namespace vh::base
namespace vh::banlists {
class Banlists;
}
namespace vh::database {
class Database;
}

namespace vh::gallery {

// Posts {"content": "..."} to the webhook of data/Links.dat's eighth line when an entry is added with an
// automatic detection or a banned GUID. Everything happens later on the event loop, so adding an entry never
// waits for the network. At most one message per interval; detections that come in between are summed up in
// the next one. 429 and 5xx answers are retried with growing pauses for a bounded time; a failure is logged
// once until a message gets through again. Without a webhook line nothing is sent and nothing is logged.
class AlertSender final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AlertSender)

public:
    struct Timing
    {
        int minIntervalMs = 2000;
        int firstRetryMs = 2000;
        int maxRetryMs = 30000;
        int retryForMs = 120000; // retries stop once this much time passed since the first attempt
        int transferTimeoutMs = 15000;
    };
    static constexpr int MaxLinesPerMessage = 10;
    static constexpr int MaxContentLength = 1900; // chat services refuse longer texts

    AlertSender(const database::Database& db, const banlists::Banlists& bans, const base::Links& links,
                base::ActivityLog& log, QObject* parent = nullptr);
    ~AlertSender() override;

    void setTiming(const Timing& timing) { m_timing = timing; }

    // Considers entry n, just added.
    void entryAdded(int n);
    // The alert text for entry n, empty when the entry is neither detected nor banned.
    QString alertLine(int n) const;
    // The content of one message for the waiting lines.
    static QString messageContent(const QStringList& lines);

Q_SIGNALS:
    // A message was delivered or given up; for listeners that wait for the sender to be idle.
    void messageFinished(bool delivered);

private:
    void schedule();
    void sendWaiting();
    void attempt();
    void onFinished(QNetworkReply* reply);
    void giveUp(const QString& why);

    const database::Database& m_db;
    const banlists::Banlists& m_bans;
    const base::Links& m_links;
    base::ActivityLog& m_log;
    Timing m_timing;
    QNetworkAccessManager* m_network;
    QStringList m_waiting; // lines not yet in a message
    QByteArray m_message;  // the body in flight or waiting for a retry
    bool m_busy = false;   // a message is in flight or waiting for its retry
    int m_retryDelayMs = 0;
    QElapsedTimer m_sinceLastSend;
    QElapsedTimer m_sinceFirstAttempt;
    QTimer m_sendTimer;
    QTimer m_retryTimer;
    bool m_failureLogged = false;
};

} // namespace vh::gallery
