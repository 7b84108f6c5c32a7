#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QNetworkAccessManager;

namespace vh::base {
class ActivityLog;
class Workspace;
struct Links;
} // namespace vh::base

namespace vh::database {
class Database;
}

namespace vh::report {

// Sends one screenshot to the ACI verification page: the vault PNG and the address the game server
// publishes it under, in one multipart POST to the address on the seventh line of data/Links.dat.
class AciUpload final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AciUpload)

public:
    static constexpr int DefaultTimeoutMs = 60000;
    static inline const QByteArray Boundary = QByteArrayLiteral("f89awenrh8f8");

    AciUpload(const base::Links& links, base::ActivityLog& log, const base::Workspace& workspace,
              const database::Database& database, QObject* parent = nullptr);
    ~AciUpload() override;

    // The request body: the delimiter lines are fourteen dashes and the boundary word.
    static QByteArray buildBody(const QByteArray& localFile, const QByteArray& fileBytes,
                                const QByteArray& screenshotAddress);

    // Uploads entry i (1-based): its vault PNG and ServerURL + "/" + ShotFile. True when the server answered
    // with a 2xx status.
    bool uploadEntry(int entryIndex);
    // Returns when the transfer has ended; a missing file, a missing target or a failed request is logged
    // and gives false.
    bool UploadToAci(const QString& localFile, const QByteArray& screenshotAddress);

    void setTimeout(int ms) { m_timeoutMs = ms; }

private:
    void problem(const QString& reason);

    const base::Links& m_links;
    base::ActivityLog& m_log;
    const base::Workspace& m_workspace;
    const database::Database& m_database;
    QNetworkAccessManager* m_network;
    int m_timeoutMs = DefaultTimeoutMs;
};

} // namespace vh::report
