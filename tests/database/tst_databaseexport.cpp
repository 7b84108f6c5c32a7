#include "database/Database.h"
#include "database/DatabaseExport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace vh::database;

class TestDatabaseExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void csvQuotesAndKeepsFormulasAsText();
    void jsonHoldsEveryMember();
};

namespace {

Database twoEntries()
{
    Database db;
    ScreenshotEntry a;
    a.ShotFile = "pb000123.png";
    a.PlayerName = "=cmd|' /C calc'!A0";
    a.ServerName = "Clan \"A\", Server";
    a.GUID = "0123456789abcdef0123456789abcdef";
    a.Cheating = true;
    a.IndexText = "000123 \"Pl\xe4yer\" GUID=0123456789abcdef0123456789abcdef (-) 2026.12.01 10:00:00";
    a.CaptureWidth = 640;
    a.CaptureHeight = -1;
    db.append(a);
    ScreenshotEntry b;
    b.ShotFile = "pb000124.png";
    db.append(b);
    return db;
}

} // namespace

void TestDatabaseExport::csvQuotesAndKeepsFormulasAsText()
{
    const QList<QByteArray> lines = exportCsv(twoEntries()).split('\n');
    QCOMPARE(lines.size(), 4); // header, two entries, the empty rest after the last line end
    QVERIFY(lines.at(0).startsWith("ShotFile,HeaderInfo,ServerAddress,ServerName,GUID,PlayerName,ServerURL,Cheating"));
    const QByteArray first = lines.at(1);
    QVERIFY(first.contains("\"Clan \"\"A\"\", Server\""));
    QVERIFY(first.contains("\"'=cmd|' /C calc'!A0\""));
    QVERIFY(first.contains(",True,"));
    QVERIFY(first.contains("Pl\xc3\xa4yer")); // Latin-1 text written as UTF-8
    QVERIFY(first.endsWith(",640,-1\r"));     // numbers are not treated as formulas
    QVERIFY(lines.at(2).startsWith("pb000124.png,,,,,,,False,"));
}

void TestDatabaseExport::jsonHoldsEveryMember()
{
    const QJsonArray entries = QJsonDocument::fromJson(exportJson(twoEntries())).array();
    QCOMPARE(entries.size(), 2);
    const QJsonObject first = entries.at(0).toObject();
    QCOMPARE(first.size(), 14);
    // no formula guard in JSON
    QCOMPARE(first.value(QStringLiteral("PlayerName")).toString(), QStringLiteral("=cmd|' /C calc'!A0"));
    QVERIFY(first.value(QStringLiteral("IndexText")).toString().contains(QStringLiteral("Pl\u00e4yer")));
}

QTEST_GUILESS_MAIN(TestDatabaseExport)
#include "tst_databaseexport.moc"
