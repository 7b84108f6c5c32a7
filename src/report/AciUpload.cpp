#include "report/AciUpload.h"

#include "base/ActivityLog.h"
#include "base/Links.h"
#include "database/Database.h"
#include "platform/EventWait.h"
#include "report/VaultPath.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace vh::report {

AciUpload::AciUpload(const base::Links& links, base::ActivityLog& log, const base::Workspace& workspace,
                     const database::Database& database, QObject* parent)
    : QObject(parent), m_links(links), m_log(log), m_workspace(workspace), m_database(database),
      m_network(new QNetworkAccessManager(this))
{
}

AciUpload::~AciUpload() = default;

QByteArray AciUpload::buildBody(const QByteArray& localFile, const QByteArray& fileBytes,
                                const QByteArray& screenshotAddress)
{
    const QByteArray delimiter = "--------------" + Boundary;
    QByteArray body;
    body.reserve(fileBytes.size() + localFile.size() + screenshotAddress.size() + 256);
    body += delimiter + "\r\n";
    body += "Content-Disposition: form-data; name=\"file\"; file=\"" + localFile + "\"\r\n\r\n";
    body += fileBytes + "\r\n";
    body += delimiter + "\r\n";
    body += "Content-Disposition: form-data; name=\"url\"\r\n\r\n";
    body += screenshotAddress + "\r\n";
    body += delimiter + "--";
    return body;
}

bool AciUpload::uploadEntry(int entryIndex)
{
    if (entryIndex < 1 || entryIndex > m_database.EntryCount())
        return false;
    const database::ScreenshotEntry& e = m_database.entry(entryIndex);
    return UploadToAci(vaultPngPath(m_workspace, e.VaultName), e.ServerURL + "/" + e.ShotFile);
}

void AciUpload::problem(const QString& reason)
{
    m_log.Log(QStringLiteral("Problems in uploading to ACI, error:") + reason);
}

bool AciUpload::UploadToAci(const QString& localFile, const QByteArray& screenshotAddress)
{
    const QUrl target(m_links.AciVerifyUrl, QUrl::StrictMode);
    if (m_links.AciVerifyUrl.isEmpty()) {
        m_log.Log(QStringLiteral("ACI upload not sent: data/Links.dat has no seventh line with the address of the "
                                 "ACI verification page"));
        return false;
    }
    if (!target.isValid() || (target.scheme() != QLatin1String("http") && target.scheme() != QLatin1String("https"))) {
        problem(QStringLiteral("the seventh line of data/Links.dat is not an http address: ") + m_links.AciVerifyUrl);
        return false;
    }
    // reading a missing file must not create an empty one in the vault and send it
    QFile file(localFile);
    if (!file.exists()) {
        problem(QStringLiteral("the screenshot ") + localFile + QStringLiteral(" is missing, nothing sent"));
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        problem(file.errorString() + QStringLiteral(", nothing sent: ") + localFile);
        return false;
    }
    const QByteArray body = buildBody(QFile::encodeName(localFile), file.readAll(), screenshotAddress);

    QNetworkRequest request(target);
    request.setRawHeader("Content-Type", "multipart/form-data; boundary=" + Boundary);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(m_timeoutMs);
    QNetworkReply* reply = m_network->post(request, body);
    platform::waitUntil([reply] { return reply->isFinished(); });
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QNetworkReply::NetworkError error = reply->error();
    const QString errorText = reply->errorString();
    reply->deleteLater();
    if (error != QNetworkReply::NoError && status == 0) {
        problem(errorText);
        return false;
    }
    if (status < 200 || status > 299) {
        problem(QStringLiteral("the server answered with HTTP status %1").arg(status));
        return false;
    }
    return true;
}

} // namespace vh::report
