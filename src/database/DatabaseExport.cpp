#include "database/DatabaseExport.h"

#include "database/Database.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QVariant>

namespace vh::database {

namespace {

// The fourteen members in stored order, each as text, a flag or a number.
struct Field
{
    const char* name;
    QVariant (*value)(const ScreenshotEntry&);
};

QVariant text(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes);
}

const Field Fields[] = {
    {"ShotFile", [](const ScreenshotEntry& e) { return text(e.ShotFile); }},
    {"HeaderInfo", [](const ScreenshotEntry& e) { return text(e.HeaderInfo); }},
    {"ServerAddress", [](const ScreenshotEntry& e) { return text(e.ServerAddress); }},
    {"ServerName", [](const ScreenshotEntry& e) { return text(e.ServerName); }},
    {"GUID", [](const ScreenshotEntry& e) { return text(e.GUID); }},
    {"PlayerName", [](const ScreenshotEntry& e) { return text(e.PlayerName); }},
    {"ServerURL", [](const ScreenshotEntry& e) { return text(e.ServerURL); }},
    {"Cheating", [](const ScreenshotEntry& e) { return QVariant(e.Cheating); }},
    {"IndexText", [](const ScreenshotEntry& e) { return text(e.IndexText); }},
    {"AutoDetected", [](const ScreenshotEntry& e) { return text(e.AutoDetected); }},
    {"VaultName", [](const ScreenshotEntry& e) { return text(e.VaultName); }},
    {"ShotTime", [](const ScreenshotEntry& e) { return text(e.ShotTime); }},
    {"CaptureWidth", [](const ScreenshotEntry& e) { return QVariant(int(e.CaptureWidth)); }},
    {"CaptureHeight", [](const ScreenshotEntry& e) { return QVariant(int(e.CaptureHeight)); }},
};

QByteArray csvField(const QVariant& value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? "True" : "False";
    if (value.typeId() == QMetaType::Int)
        return QByteArray::number(value.toInt());
    QByteArray utf8 = value.toString().toUtf8();
    // player and server names come from remote images: one a spreadsheet would read as a formula stays text
    const bool formula = !utf8.isEmpty() && QByteArray("=+-@").contains(utf8.at(0));
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
    for (const Field& f : Fields)
        out += (&f == Fields ? "" : ",") + QByteArray(f.name);
    out += "\r\n";
    for (int i = 1; i <= db.EntryCount(); ++i) {
        for (const Field& f : Fields)
            out += (&f == Fields ? "" : ",") + csvField(f.value(db.entry(i)));
        out += "\r\n";
    }
    return out;
}

QJsonObject exportJsonObject(const ScreenshotEntry& e)
{
    QJsonObject o;
    for (const Field& f : Fields)
        o.insert(QLatin1String(f.name), QJsonValue::fromVariant(f.value(e)));
    return o;
}

QByteArray exportJson(const Database& db)
{
    QJsonArray entries;
    for (int i = 1; i <= db.EntryCount(); ++i)
        entries.append(exportJsonObject(db.entry(i)));
    return QJsonDocument(entries).toJson(QJsonDocument::Indented);
}

} // namespace vh::database
