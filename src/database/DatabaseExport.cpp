#include "database/DatabaseExport.h"

#include "database/Database.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vh::database {

namespace {

const char* const Columns[] = {"ShotFile",  "HeaderInfo", "ServerAddress", "ServerName",   "GUID",
                               "PlayerName", "ServerURL", "Cheating",      "IndexText",    "AutoDetected",
                               "VaultName",  "ShotTime",  "CaptureWidth",  "CaptureHeight"};

QString text(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes);
}

QByteArray csvField(const QString& value, bool isText = true)
{
    QByteArray utf8 = value.toUtf8();
    // player and server names come from remote images: one a spreadsheet would read as a formula stays text
    const bool formula = isText && !utf8.isEmpty() && QByteArray("=+-@").contains(utf8.at(0));
    if (formula || utf8.contains(',') || utf8.contains('"') || utf8.contains('\n') || utf8.contains('\r')) {
        utf8.replace('"', "\"\"");
        return '"' + QByteArray(formula ? "'" : "") + utf8 + '"';
    }
    return utf8;
}

} // namespace

QByteArray exportCsv(const Database& db)
{
    QByteArray out;
    for (std::size_t c = 0; c < std::size(Columns); ++c)
        out += (c ? "," : "") + QByteArray(Columns[c]);
    out += "\r\n";
    for (int i = 1; i <= db.EntryCount(); ++i) {
        const ScreenshotEntry& e = db.entry(i);
        const QString fields[] = {text(e.ShotFile),
                                  text(e.HeaderInfo),
                                  text(e.ServerAddress),
                                  text(e.ServerName),
                                  text(e.GUID),
                                  text(e.PlayerName),
                                  text(e.ServerURL),
                                  e.Cheating ? QStringLiteral("True") : QStringLiteral("False"),
                                  text(e.IndexText),
                                  text(e.AutoDetected),
                                  text(e.VaultName),
                                  text(e.ShotTime),
                                  QString::number(e.CaptureWidth),
                                  QString::number(e.CaptureHeight)};
        for (std::size_t c = 0; c < std::size(fields); ++c)
            out += (c ? "," : "") + csvField(fields[c], c < 12);
        out += "\r\n";
    }
    return out;
}

QByteArray exportJson(const Database& db)
{
    QJsonArray entries;
    for (int i = 1; i <= db.EntryCount(); ++i) {
        const ScreenshotEntry& e = db.entry(i);
        QJsonObject o;
        o.insert(QStringLiteral("ShotFile"), text(e.ShotFile));
        o.insert(QStringLiteral("HeaderInfo"), text(e.HeaderInfo));
        o.insert(QStringLiteral("ServerAddress"), text(e.ServerAddress));
        o.insert(QStringLiteral("ServerName"), text(e.ServerName));
        o.insert(QStringLiteral("GUID"), text(e.GUID));
        o.insert(QStringLiteral("PlayerName"), text(e.PlayerName));
        o.insert(QStringLiteral("ServerURL"), text(e.ServerURL));
        o.insert(QStringLiteral("Cheating"), e.Cheating);
        o.insert(QStringLiteral("IndexText"), text(e.IndexText));
        o.insert(QStringLiteral("AutoDetected"), text(e.AutoDetected));
        o.insert(QStringLiteral("VaultName"), text(e.VaultName));
        o.insert(QStringLiteral("ShotTime"), text(e.ShotTime));
        o.insert(QStringLiteral("CaptureWidth"), int(e.CaptureWidth));
        o.insert(QStringLiteral("CaptureHeight"), int(e.CaptureHeight));
        entries.append(o);
    }
    return QJsonDocument(entries).toJson(QJsonDocument::Indented);
}

} // namespace vh::database
