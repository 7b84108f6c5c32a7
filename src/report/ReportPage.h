#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace vh::banlists {
class Banlist;
}

namespace vh::report {

// What one AASA report page is made of. Every member holds single-byte text as stored or fetched; the page
// is written in the same code page, so nothing is converted on the way.
struct ReportInput
{
    QByteArray AppTitle;
    QByteArray AasaSearchUrl;
    QByteArray AasaReportUrl;
    QByteArray GUID;
    QByteArray IndexText;
    QByteArray ServerURL;
    QByteArray AutoDetected;
    QByteArray localPngPath;            // absolute, in the platform's own form
    QByteArray fetchedPage;             // the screenshot's own page on the game server
    std::optional<QByteArray> pngBytes; // the vault file, when it exists: its hashes go into the page
};

// The screenshot's own PunkBuster page and its picture: ServerURL + "/pb" + the shot number + suffix.
QByteArray shotAddress(const QByteArray& serverUrl, const QByteArray& indexText, const char* suffix);

// A page that does not show the picture means the server has overwritten the screenshot.
bool isGonePage(QByteArrayView page);

// The last AASA entry banned for a screenshot ("aasa pbss" in any letter case, nothing more) whose GUID
// occurs in the index line; 0 when there is none.
int findAasaPbssBan(const banlists::Banlist& aasaBans, QByteArrayView indexText);

// The whole file: the page and its closing line break.
QByteArray buildReportPage(const ReportInput& input);

// The report's file name: GUID + VaultName + ".htm", with the GUID read from an image made safe.
QString reportFileName(const QByteArray& guid, const QByteArray& vaultName);

} // namespace vh::report
