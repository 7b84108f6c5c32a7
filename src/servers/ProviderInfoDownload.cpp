#include "servers/ProviderInfoDownload.h"

#include "platform/AtomicFile.h"
#include "platform/EventWait.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QUrl>

namespace vh::servers {

base::Problems fetchToFileWaiting(QNetworkAccessManager& network, const QString& url, const QString& path,
                                  const DownloadLimits& limits)
{
    const QUrl address(url.trimmed());
    const QString scheme = address.scheme().toLower();
    if (!address.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return {QStringLiteral("No valid address: ") + url};

    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(limits.maxRedirects);
    request.setTransferTimeout(limits.timeoutMs);

    QObject context;
    QPointer<QNetworkReply> reply = network.get(request);
    QByteArray body;
    bool tooLarge = false;
    bool done = false;
    QObject::connect(reply, &QNetworkReply::readyRead, &context, [&] {
        body += reply->readAll();
        if (body.size() > limits.maxBytes && !tooLarge) {
            tooLarge = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &context, [&] { done = true; });
    // the transfer time-out restarts with every byte; this bounds a server that drips its answer
    const bool timedOut = !platform::waitUntil([&done] { return done; }, limits.timeoutMs);
    if (timedOut && reply)
        reply->abort();

    QString error;
    if (!reply) {
        error = QStringLiteral("Download ended unexpectedly");
    } else {
        if (reply->isOpen())
            body += reply->readAll();
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (tooLarge)
            error = QStringLiteral("Answer larger than %1 bytes").arg(limits.maxBytes);
        else if (timedOut)
            error = QStringLiteral("No answer within %1 seconds").arg(limits.timeoutMs / 1000);
        else if (reply->error() != QNetworkReply::NoError)
            error = reply->errorString();
        else if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299))
            error = QStringLiteral("HTTP status %1").arg(status.toInt());
        reply->deleteLater();
    }
    if (!error.isEmpty())
        return {error};
    return platform::writeFileAtomically(path, body);
}

} // namespace vh::servers
