#include "banlists/BanlistSchedule.h"
#include "banlists/BanlistVersion.h"
#include "banlists/Banlists.h"
#include "base/ActivityLog.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "util/TestWorkspace.h"

#include <QFile>
#include <QtTest>

using vh::base::Setting;
using namespace vh::banlists;

namespace {

const QByteArray G1 = "0123456789abcdef0123456789abcdef";
const QByteArray G2 = "fedcba9876543210fedcba9876543210";

QByteArray aasaRow(const QByteArray& guid, const QByteArray& name, const QByteArray& reason)
{
    return "[2026.12.06 10:00:00] " + guid + " " + name + " 1.2.3.4:5 " + reason;
}

using Entries = QList<BanEntry>;

Entries entriesOf(const Banlist& list)
{
    Entries out;
    for (int i = 1; i <= list.count(); ++i)
        out << list.entry(i);
    return out;
}

struct Fixture
{
    vh::test::TestWorkspace ws;
    vh::base::Settings settings;
    vh::base::ActivityLog log{settings};
    vh::base::Workspace workspace{ws.base()};
    Banlists lists{log, workspace};
};

} // namespace

Q_DECLARE_METATYPE(BanEntry)

namespace {
// Runs one row of a format table through the given parser.
void checkParse(QList<int> (Banlist::*parse)(const QByteArray&))
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, info);
    QFETCH(Entries, entries);
    QFETCH(QList<int>, problems);
    Banlist list;
    QCOMPARE((list.*parse)(text), problems);
    QCOMPARE(list.info(), info);
    QCOMPARE(entriesOf(list), entries);
}
} // namespace

class TestBanlists : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aasaFormat_data();
    void aasaFormat();
    void aciFormat_data();
    void aciFormat();
    void lookupsKeepFirstAndLastMatch();
    void failedLoadEmptiesTheList_data();
    void failedLoadEmptiesTheList();
    void showBanStatus();
    void publishedInfo_data();
    void publishedInfo();
    void scheduleRaisesDueFlag();
};

void TestBanlists::aasaFormat_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("info");
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QList<int>>("problems");

    const QByteArray head = " ;AASA private banlist; 2026-12-06 \r\n";
    const QByteArray info = "AASA private banlist 2026-12-06";
    QTest::newRow("two-word name is cut at its blank")
        << head + aasaRow(G1, "\"Some Name\"", "Aimbot used") + "\r\n"
        << info << Entries{{G1, "Some", "1.2.3.4:5 Aimbot used"}} << QList<int>{};
    QTest::newRow("] in a reason begins a row")
        << head + aasaRow(G1, "N", "wallhack] " + G2 + " x y z") + "\r\n"
        << info << Entries{{G1, "N", "wallhack] " + G2 + " x y z"}, {G2, "x", "z"}} << QList<int>{};
    QTest::newRow("last row without line feed")
        << head + aasaRow(G1, "N", "Aimbot used") << info << Entries{{G1, "N", "Aimbot used"}} << QList<int>{};
    QTest::newRow("quotes, tab and CR removed")
        << head + aasaRow(G1, "\"Name\"", "a\tb \"c\"\r\n") << info << Entries{{G1, "Name", "a b c"}} << QList<int>{};
    QTest::newRow("empty reason ends at its line feed")
        << head + aasaRow(G1, "N", "") + "\n" + aasaRow(G2, "M", "r") << info << Entries{{G1, "N", ""}, {G2, "M", "r"}}
        << QList<int>{};
    QTest::newRow("no bracket: no info, no rows")
        << QByteArray("just text\r\n") << QByteArray() << Entries{} << QList<int>{0};
    // one line gives a table of ten rows; the eleventh does not fit
    QByteArray crowded = "v1 ";
    for (int i = 0; i < 11; ++i)
        crowded += "[] " + G1 + " a b c ";
    Entries ten;
    for (int i = 0; i < 10; ++i)
        ten << BanEntry{G1, "a", "c [] " + G1 + " a b c " + QByteArray("[] " + G1 + " a b c ").repeated(9 - i)};
    ten.last().Reason = "c [] " + G1 + " a b c ";
    QTest::newRow("rows beyond the table") << crowded << QByteArray("v1") << ten << QList<int>{10};
}

void TestBanlists::aasaFormat()
{
    checkParse(&Banlist::parseAasa);
}

void TestBanlists::aciFormat_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("info");
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QList<int>>("problems");

    const QByteArray head = "[ACI] v7 2026-12-06\r\nno address guid name date reason\r\n";
    const QByteArray info = "[ACI] v7 2026-12-06\r";
    QTest::newRow("rows, the last line without line feed is lost")
        << head + "1 1.2.3.4 " + G1 + " Name 2026 Aimbot used\n2 5.6.7.8 " + G2 + " Other 2026 Wallhack" << info
        << Entries{{G1, "Name", "Aimbot"}} << QList<int>{};
    QTest::newRow("quotes removed, CR stays with the last token")
        << head + "1 1.2.3.4 \"" + G1 + "\" \"Na me\" 2026 Aimbot\r\n"
        << info << Entries{{G1, "Na", "2026"}} << QList<int>{};
    QTest::newRow("short row: missing tokens stay empty") << head + "1 1.2.3.4 " + G1 + "\r\n"
                                                          << info << Entries{{G1 + "\r", "", ""}} << QList<int>{1, 1};
    QTest::newRow("header only") << QByteArray("[ACI] v8\n") << QByteArray("[ACI] v8") << Entries{} << QList<int>{};
}

void TestBanlists::aciFormat()
{
    checkParse(&Banlist::parseAci);
}

void TestBanlists::lookupsKeepFirstAndLastMatch()
{
    Banlist list;
    list.parseAasa("v [\n" + aasaRow(G1, "First", "one") + "\n" + aasaRow(G2, "Other", "two") + "\n" +
                   aasaRow(G1, "Second", "three") + "\n");
    QCOMPARE(list.findFirst(G1), 1);
    QCOMPARE(list.findLast(G1), 3);
    QCOMPARE(list.findFirst(G1.toUpper()), 0); // a GUID in other letter case is not banned
}

void TestBanlists::failedLoadEmptiesTheList_data()
{
    QTest::addColumn<bool>("huge"); // else: no files
    QTest::newRow("missing files") << false;
    QTest::newRow("file larger than any list") << true;
}

void TestBanlists::failedLoadEmptiesTheList()
{
    QFETCH(bool, huge);
    Fixture f;
    const QStringList files{QStringLiteral("banlists/aasaprivbanguid.txt"), QStringLiteral("banlists/pbbans.txt")};
    f.ws.write(files[0], "AASA v1\r\n" + aasaRow(G2, "X", "y") + "\r\n");
    f.ws.write(files[1], "[ACI] v9\r\nheader\r\n1 2 " + G2 + " N d r\r\n");
    f.lists.LoadAasaBanlist();
    f.lists.LoadAciBanlist();
    QCOMPARE(f.lists.panelText(4), QStringLiteral("AASA Info: AASA v1"));
    for (const QString& file : files) {
        QVERIFY(QFile::remove(f.ws.path(file)));
        QFile big(f.ws.path(file));
        if (huge)
            QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(Banlist::MaxFileBytes + 1));
    }
    f.lists.LoadAasaBanlist();
    f.lists.LoadAciBanlist();
    // the ACI info of a failed load stays as it was
    QCOMPARE((QStringList{f.lists.panelText(3), f.lists.panelText(4), f.lists.panelText(5), f.lists.panelText(6)}),
             (QStringList{QStringLiteral("AASA bans: 0"), QStringLiteral("AASA Info: "), QStringLiteral("ACI bans: 0"),
                          QStringLiteral("ACI Info: [ACI] v9\r")}));
    QCOMPARE(f.log.lines().size(), std::size_t(2));
}

void TestBanlists::showBanStatus()
{
    Fixture f;
    f.ws.write(QStringLiteral("banlists/aasaprivbanguid.txt"),
               "v [\n" + aasaRow(G1, "Early", "old reason") + "\n" + aasaRow(G1, "Late", "new reason") + "\n");
    f.ws.write(QStringLiteral("banlists/pbbans.txt"), "[ACI]\nh\n1 2 " + G2 + " Aci x Wallhack\nend");
    f.lists.LoadAasaBanlist();
    f.lists.LoadAciBanlist();

    auto s = f.lists.ShowBanStatus(G1);
    QCOMPARE(s.aasaText, QStringLiteral("Late, new reason"));
    QCOMPARE(s.aasaColour, vh::base::Colour(255));
    QCOMPARE(s.aciText, QStringLiteral("Not Banned"));
    QCOMPARE(s.aciColour, vh::base::Colour(65280));
    QCOMPARE(f.lists.ShowBanStatus(G2).aciText, QStringLiteral("Aci, Wallhack"));
}

void TestBanlists::publishedInfo_data()
{
    QTest::addColumn<bool>("aci");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("info");
    QTest::newRow("AASA semicolons and blanks removed")
        << false << QByteArray("  ;Version; 12\r\n\r\n [x]") << true << QStringLiteral("Version 12");
    QTest::newRow("AASA without bracket") << false << QByteArray("<html>Not found</html>") << false << QString();
    QTest::newRow("AASA bracket at 255 is outside")
        << false << QByteArray(255, 'a') + QByteArray("[x]") << false << QString();
    QTest::newRow("AASA bracket at 254 is inside")
        << false << QByteArray(254, 'a') + QByteArray("[x]") << true << QString(254, QLatin1Char('a'));
    QTest::newRow("ACI first line kept with its CR")
        << true << QByteArray("ACI list 2026-12-01\r\n[abc] x\n") << true << QStringLiteral("ACI list 2026-12-01\r");
    QTest::newRow("ACI bracket needed") << true << QByteArray("ACI list\r\nno brackets here\n") << false << QString();
    QTest::newRow("ACI without line feed") << true << QByteArray("only[") << true << QStringLiteral("only[");
}

void TestBanlists::publishedInfo()
{
    QFETCH(bool, aci);
    QFETCH(QByteArray, body);
    QFETCH(bool, found);
    QFETCH(QString, info);
    const std::optional<QString> got = aci ? publishedAciInfo(body) : publishedAasaInfo(body);
    QCOMPARE(got.has_value(), found);
    QCOMPARE(got.value_or(QString()), info);
}

void TestBanlists::scheduleRaisesDueFlag()
{
    vh::base::Settings settings;
    settings.setValue(Setting::BanlistUpdateMinutes, QStringLiteral("10"));
    settings.setValue(Setting::AutoBanlistUpdate, QStringLiteral("1"));
    BanlistSchedule schedule;
    for (int i = 1; i < 10; ++i)
        QVERIFY(!schedule.tick(settings));
    QVERIFY(schedule.tick(settings)); // the tenth minute
    // switched off, the counter still wraps but nothing becomes due
    settings.setValue(Setting::AutoBanlistUpdate, QStringLiteral("0"));
    for (int i = 1; i <= 10; ++i)
        QVERIFY(!schedule.tick(settings));
    QCOMPARE(schedule.BanlistMinuteCounter, 0);
}

QTEST_GUILESS_MAIN(TestBanlists)
#include "tst_banlists.moc"
