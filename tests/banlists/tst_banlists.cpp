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

class TestBanlists : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<bool>("aci");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("info");
        QTest::addColumn<Entries>("entries");
        QTest::addColumn<QList<int>>("problems");
        const auto aasa = [](const char* name, const QByteArray& rows, const Entries& entries) {
            QTest::newRow(name) << false << " ;AASA private banlist; 2026-12-06 \r\n" + rows
                                << QByteArray("AASA private banlist 2026-12-06") << entries << QList<int>{};
        };
        aasa("two-word name is cut at its blank", aasaRow(G1, "\"Some Name\"", "Aimbot used") + "\r\n",
             {{G1, "Some", "1.2.3.4:5 Aimbot used"}});
        aasa("] in a reason begins a row", aasaRow(G1, "N", "wallhack] " + G2 + " x y z") + "\r\n",
             {{G1, "N", "wallhack] " + G2 + " x y z"}, {G2, "x", "z"}});
        aasa("quotes, tab and CR removed, no last line feed", aasaRow(G1, "\"Name\"", "a\tb \"c\"\r"),
             {{G1, "Name", "a b c"}});
        aasa("empty reason ends at its line feed", aasaRow(G1, "N", "") + "\n" + aasaRow(G2, "M", "r"),
             {{G1, "N", ""}, {G2, "M", "r"}});
        QTest::newRow("no bracket: no info, no rows")
            << false << QByteArray("just text\r\n") << QByteArray() << Entries{} << QList<int>{0};
        // one line gives a table of ten rows; the eleventh does not fit
        const QByteArray row = "[] " + G1 + " a b c ";
        Entries ten;
        for (int i = 0; i < 10; ++i)
            ten << BanEntry{G1, "a", "c " + row.repeated(10 - i)};
        QTest::newRow("rows beyond the table")
            << false << "v1 " + row.repeated(11) << QByteArray("v1") << ten << QList<int>{10};

        const auto aci = [](const char* name, const QByteArray& rows, const Entries& entries, QList<int> problems) {
            QTest::newRow(name) << true << "[ACI] v7 2026-12-06\r\nno address guid name date reason\r\n" + rows
                                << QByteArray("[ACI] v7 2026-12-06\r") << entries << problems;
        };
        aci("ACI rows, the last line without line feed is lost",
            "1 1.2.3.4 " + G1 + " Name 2026 Aimbot used\n2 5.6.7.8 " + G2 + " Other 2026 Wallhack",
            {{G1, "Name", "Aimbot"}}, {});
        aci("ACI quotes removed, CR stays with the last token", "1 1.2.3.4 \"" + G1 + "\" \"Na me\" 2026 Aimbot\r\n",
            {{G1, "Na", "2026"}}, {});
        aci("ACI short row: missing tokens stay empty", "1 1.2.3.4 " + G1 + "\r\n", {{G1 + "\r", "", ""}}, {1, 1});
    }

    void parse()
    {
        QFETCH(bool, aci);
        QFETCH(QByteArray, text);
        QFETCH(QList<int>, problems);
        Banlist list;
        QCOMPARE(aci ? list.parseAci(text) : list.parseAasa(text), problems);
        QTEST(list.info(), "info");
        QTEST(entriesOf(list), "entries");
    }

    // A missing AASA list and an ACI list too large to be one empty them.
    void failedLoadEmptiesTheList()
    {
        Fixture f;
        const QString aasa = QStringLiteral("banlists/aasaprivbanguid.txt");
        const QString aci = QStringLiteral("banlists/pbbans.txt");
        f.ws.write(aasa, "AASA v1\r\n" + aasaRow(G2, "X", "y") + "\r\n");
        f.ws.write(aci, "[ACI] v9\r\nheader\r\n1 2 " + G2 + " N d r\r\n");
        f.lists.LoadAasaBanlist();
        f.lists.LoadAciBanlist();
        QCOMPARE(f.lists.panelText(4), QStringLiteral("AASA Info: AASA v1"));
        QVERIFY(QFile::remove(f.ws.path(aasa)));
        QFile big(f.ws.path(aci));
        QVERIFY(big.resize(Banlist::MaxFileBytes + 1));
        f.lists.LoadAasaBanlist();
        f.lists.LoadAciBanlist();
        // the ACI info of a failed load stays as it was
        QCOMPARE((QStringList{f.lists.panelText(3), f.lists.panelText(4), f.lists.panelText(5), f.lists.panelText(6)}),
                 (QStringList{QStringLiteral("AASA bans: 0"), QStringLiteral("AASA Info: "),
                              QStringLiteral("ACI bans: 0"), QStringLiteral("ACI Info: [ACI] v9\r")}));
        QCOMPARE(f.log.lines().size(), std::size_t(2));
    }

    // The status shows the last row of the GUID; lookups keep the GUID's letter case.
    void showBanStatus()
    {
        Fixture f;
        f.ws.write(QStringLiteral("banlists/aasaprivbanguid.txt"), "v [\n" + aasaRow(G1, "Early", "old") + "\n" +
                                                                       aasaRow(G2, "M", "x") + "\n" +
                                                                       aasaRow(G1, "Late", "new reason") + "\n");
        f.ws.write(QStringLiteral("banlists/pbbans.txt"), "[ACI]\nh\n1 2 " + G2 + " Aci x Wallhack\nend");
        f.lists.LoadAasaBanlist();
        f.lists.LoadAciBanlist();
        QCOMPARE(f.lists.AasaBans().findFirst(G1), 1);
        QCOMPARE(f.lists.AasaBans().findFirst(G1.toUpper()), 0);
        const auto s = f.lists.ShowBanStatus(G1);
        QCOMPARE(s.aasaText, QStringLiteral("Late, new reason"));
        QCOMPARE(s.aasaColour, vh::base::Colour(255));
        QCOMPARE(s.aciText, QStringLiteral("Not Banned"));
        QCOMPARE(s.aciColour, vh::base::Colour(65280));
        QCOMPARE(f.lists.ShowBanStatus(G2).aciText, QStringLiteral("Aci, Wallhack"));
    }

    void publishedInfo_data()
    {
        QTest::addColumn<bool>("aci");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("info");
        QTest::newRow("AASA semicolons and blanks removed")
            << false << QByteArray("  ;Version; 12\r\n\r\n [x]") << true << QStringLiteral("Version 12");
        QTest::newRow("AASA bracket at 255 is outside")
            << false << QByteArray(255, 'a') + QByteArray("[x]") << false << QString();
        QTest::newRow("AASA bracket at 254 is inside")
            << false << QByteArray(254, 'a') + QByteArray("[x]") << true << QString(254, QLatin1Char('a'));
        QTest::newRow("ACI first line kept with its CR") << true << QByteArray("ACI list 2026-12-01\r\n[abc] x\n")
                                                         << true << QStringLiteral("ACI list 2026-12-01\r");
        QTest::newRow("ACI bracket needed")
            << true << QByteArray("ACI list\r\nno brackets here\n") << false << QString();
    }

    void publishedInfo()
    {
        QFETCH(bool, aci);
        QFETCH(QByteArray, body);
        QFETCH(bool, found);
        const std::optional<QString> got = aci ? publishedAciInfo(body) : publishedAasaInfo(body);
        QCOMPARE(got.has_value(), found);
        QTEST(got.value_or(QString()), "info");
    }

    void scheduleRaisesDueFlag()
    {
        vh::base::Settings settings;
        settings.setValue(Setting::BanlistUpdateMinutes, QStringLiteral("2"));
        settings.setValue(Setting::AutoBanlistUpdate, QStringLiteral("1"));
        BanlistSchedule schedule;
        QVERIFY(!schedule.tick(settings));
        QVERIFY(schedule.tick(settings)); // the second minute
        // switched off, the counter still wraps but nothing becomes due
        settings.setValue(Setting::AutoBanlistUpdate, QStringLiteral("0"));
        QVERIFY(!schedule.tick(settings));
        QVERIFY(!schedule.tick(settings));
        QCOMPARE(schedule.BanlistMinuteCounter, 0);
    }
};

QTEST_GUILESS_MAIN(TestBanlists)
#include "tst_banlists.moc"
