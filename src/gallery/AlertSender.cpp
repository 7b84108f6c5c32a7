#include "gallery/AlertSender.h"

#include "banlists/Banlists.h"
#include "base/ActivityLog.h"
#include "base/Links.h"
#include "database/Database.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <algorithm>

namespace vh::gallery {

namespace {

const QString Problem = QStringLiteral("Problem sending the alert to the webhook, ");

// Names and server texts come from remote images: no mention of everyone, no code block to break out of.
QString inert(const QByteArray& latin1)
{
    QString text = QString::fromLatin1(latin1);
    text.replace(QLatin1Char('@'), QStringLiteral("@\u200b"));
    text.replace(QLatin1Char('`'), QLatin1Char('\''));
    for (QChar& c : text) {
        if (c.unicode() < 0x20)
            c = QLatin1Char(' ');
    }
    return text;
}

} // namespace

AlertSender::AlertSender(const database::Database& db, const banlists::Banlists& bans, const base::Links& links,
                         base::ActivityLog& log, QObject* parent)
    : QObject(parent), m_db(db), m_bans(bans), m_links(links), m_log(log), m_network(new QNetworkAccessManager(this))
{
    m_sendTimer.setSingleShot(true);
    m_retryTimer.setSingleShot(true);
    connect(&m_sendTimer, &QTimer::timeout, this, &AlertSender::sendWaiting);
    connect(&m_retryTimer, &QTimer::timeout, this, &AlertSender::attempt);
}

AlertSender::~AlertSender() = default;

QString AlertSender::alertLine(int n) const
{
    if (n < 1 || n > m_db.EntryCount())
        return {};
    const database::ScreenshotEntry& e = m_db.entry(n);
    QStringList what;
    if (!e.AutoDetected.isEmpty())
        what << inert(e.AutoDetected.trimmed());
    const int aasa = m_bans.FindAasaBan(e.GUID);
    if (aasa > 0)
        what << QStringLiteral("GUID on the AASA banlist (%1, %2)")
                    .arg(inert(m_bans.AasaBans().entry(aasa).BannedName), inert(m_bans.AasaBans().entry(aasa).Reason));
    const int aci = m_bans.FindAciBan(e.GUID);
    if (aci > 0)
        what << QStringLiteral("GUID on the ACI banlist (%1, %2)")
                    .arg(inert(m_bans.AciBans().entry(aci).BannedName), inert(m_bans.AciBans().entry(aci).Reason));
    if (what.isEmpty())
        return {};
    return QStringLiteral("%1: player \"%2\" GUID %3 on %4 (%5) at %6, entry %7")
        .arg(what.join(QStringLiteral(", ")), inert(e.PlayerName), inert(e.GUID), inert(e.ServerName),
             inert(e.ServerAddress), inert(e.ShotTime))
        .arg(n);
}

QString AlertSender::messageContent(const QStringList& lines)
{
    QString content = QStringLiteral("Varnholt detection");
    int listed = 0;
    for (const QString& line : lines) {
        if (listed == MaxLinesPerMessage || content.size() + 1 + line.size() > MaxContentLength)
            break;
        content += QLatin1Char('\n') + line;
        ++listed;
    }
    if (listed < lines.size())
        content += QStringLiteral("\n... and %1 more detections").arg(lines.size() - listed);
    return content;
}

void AlertSender::entryAdded(int n)
{
    if (m_links.AlertWebhookUrl.isEmpty())
        return;
    const QString line = alertLine(n);
    if (line.isEmpty())
        return;
    m_waiting << line;
    schedule();
}

void AlertSender::schedule()
{
    if (m_busy || m_waiting.isEmpty() || m_sendTimer.isActive())
        return;
    const qint64 wait = m_sinceLastSend.isValid() ? m_timing.minIntervalMs - m_sinceLastSend.elapsed() : 0;
    // even the first message leaves through the event loop: the entry that caused it is being added right now
    m_sendTimer.start(int(std::max<qint64>(0, wait)));
}

void AlertSender::sendWaiting()
{
    if (m_busy || m_waiting.isEmpty())
        return;
    const QUrl url(m_links.AlertWebhookUrl);
    if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))) {
        m_waiting.clear();
        giveUp(QStringLiteral("the address is not an http or https address: ") + m_links.AlertWebhookUrl);
        return;
    }
    m_message = QJsonDocument(QJsonObject{{QStringLiteral("content"), messageContent(m_waiting)}})
                    .toJson(QJsonDocument::Compact);
    m_waiting.clear();
    m_busy = true;
    m_retryDelayMs = m_timing.firstRetryMs;
    m_sinceFirstAttempt.start();
    attempt();
}

void AlertSender::attempt()
{
    QNetworkRequest request{QUrl(m_links.AlertWebhookUrl)};
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(m_timing.transferTimeoutMs);
    m_sinceLastSend.start();
    QNetworkReply* reply = m_network->post(request, m_message);
    connect(reply, &QNetworkReply::finished, this, [this, reply] { onFinished(reply); });
}

void AlertSender::onFinished(QNetworkReply* reply)
{
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 200 && status < 300) {
        m_busy = false;
        m_failureLogged = false;
        Q_EMIT messageFinished(true);
        schedule();
        return;
    }
    const bool retryable = status == 429 || status >= 500 || status == 0;
    const QString why = status != 0 ? QStringLiteral("answer %1").arg(status) : reply->errorString();
    int delay = std::max(m_retryDelayMs, m_timing.minIntervalMs);
    bool seconds = false;
    const int retryAfter = reply->rawHeader("Retry-After").trimmed().toInt(&seconds);
    if (seconds && retryAfter > 0)
        delay = std::max(delay, retryAfter * 1000);
    delay = std::min(delay, m_timing.maxRetryMs);
    if (!retryable || m_sinceFirstAttempt.elapsed() + delay > m_timing.retryForMs) {
        giveUp(why);
        return;
    }
    m_retryDelayMs = std::min(m_retryDelayMs * 2, m_timing.maxRetryMs);
    m_retryTimer.start(delay);
}

void AlertSender::giveUp(const QString& why)
{
    m_busy = false;
    if (!m_failureLogged)
        m_log.Log(Problem + why);
    m_failureLogged = true;
    Q_EMIT messageFinished(false);
    schedule();
}

} // namespace vh::gallery
