#include "app/AppCore.h"
#include "banlists/VersionChecks.h"
#include "collect/KnownShots.h"
#include "collect/ServerVisit.h"
#include "util/LocalHttpServer.h"
#include "util/TestWorkspace.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

using vh::app::AppCore;
using vh::base::Setting;
using vh::collect::KnownShots;
using vh::collect::PageEntry;
using vh::collect::ServerVisit;
using vh::test::LocalHttpServer;
using vh::test::TestWorkspace;

namespace {

const QByteArray GA = "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"; // AASA: Aimbot
const QByteArray GP = "dddddddddddddddddddddddddddddddd"; // AASA: AASA PBSS
const QByteArray GC = "cccccccccccccccccccccccccccccccc"; // ACI: pbss
const QByteArray GB = "bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb"; // AASA: Aimbot, ACI: Wallhack
const QByteArray GN = "0123456789abcdef0123456789abcdef"; // banned by none

QByteArray indexText(int number, const QByteArray& guid, bool mark = true)
{
    return QByteArray::number(number).rightJustified(6, '0') + " \"Player\" (W) GUID=" + guid + (mark ? "(-)" : "") +
           " [2026.12.06 10:00:00]";
}

PageEntry pageEntry(int number, const QByteArray& guid, bool mark = true)
{
    PageEntry e;
    e.FileName = "pb" + QByteArray::number(number).rightJustified(6, '0') + ".png";
    e.GUID = guid;
    e.IndexText = indexText(number, guid, mark);
    return e;
}

// Counts the version checks a visit runs: one for AASA, ten for ACI.
struct CountingChecks final : vh::banlists::VersionChecks
{
    int checks = 0;
    void CheckAASAbanlistversion() override { ++checks; }
    void CheckACIbanlistversion() override { checks += 10; }
};

struct Fixture
{
    TestWorkspace ws;
    AppCore core;

    Fixture()
    {
        core.workspace().setBaseFolder(ws.base());
        QDir(ws.base()).mkpath(QStringLiteral("PBSS"));
        QDir(ws.base()).mkpath(QStringLiteral("temp"));
        ws.write(QStringLiteral("banlists/aasaprivbanguid.txt"),
                 "AASA v1\r\n[d] " + GA + " AName 1.2.3.4 Aimbot\r\n[d] " + GP + " PName 1.2.3.4 AASA PBSS\r\n[d] " +
                     GB + " BName 1.2.3.4 Aimbot\r\n");
        ws.write(QStringLiteral("banlists/pbbans.txt"),
                 "[ACI] v1\r\nheader\r\n1 2 " + GC + " CName d pbss 2026\r\n1 2 " + GB + " BName d Wallhack 2026\r\n");
        core.banlists().LoadAasaBanlist();
        core.banlists().LoadAciBanlist();
        core.flags().StopRequested = 0;
    }

    // A visit over the core's tables that runs the given version checks.
    ServerVisit visitWith(vh::banlists::VersionChecks& checks)
    {
        return ServerVisit(core.settings(), core.flags(), core.log(), core.workspace(), core.pool(), core.pageTable(),
                           core.database(), core.banlists(), checks);
    }

    void page(const QList<PageEntry>& entries)
    {
        for (const auto& e : entries)
            core.pageTable().append(e);
    }

    QStringList queuedFiles()
    {
        QStringList out;
        for (int j = 1; j <= core.pool().QueueCount(); ++j)
            out << QString::fromLatin1(core.pool().queueEntry(j).FileName);
        return out;
    }

    // Log lines, oldest first, as "colour: text".
    QStringList logged()
    {
        QStringList out;
        for (const auto& l : core.log().lines())
            out << QString::number(l.colour) + QStringLiteral(": ") +
                       l.text.mid(l.text.indexOf(QStringLiteral(" : ")) + 3);
        return out;
    }
};

// The line a banned player's screenshot leaves in the log: yellow for AASA, cyan for ACI.
QString banned(bool aasa, const QByteArray& guid, const QByteArray& reason, const QByteArray& name)
{
    return QString::number(aasa ? 65535 : 16776960) + QStringLiteral(": ") +
           QString::fromLatin1("000001 \"Player\" (W) GUID=" + guid + " already banned for " + reason + " as: " + name);
}

} // namespace

class TestServerVisit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void filters_data()
    {
        QTest::addColumn<QByteArray>("guid");
        QTest::addColumn<Setting>("on");
        QTest::addColumn<bool>("queued");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("AASA PBSS-only, PBSS in capitals")
            << GP << Setting::SkipAasaPbssOnly << false << QStringList{banned(true, GP, "AASA PBSS", "PName")};
        QTest::newRow("AASA PBSS-only, other reason")
            << GA << Setting::SkipAasaPbssOnly << true << QStringList{banned(true, GA, "Aimbot", "AName")};
        QTest::newRow("ACI PBSS-only") << GC << Setting::SkipAciPbssOnly << false
                                       << QStringList{banned(false, GC, "pbss", "CName")};
        QTest::newRow("both lists: AASA skips, ACI still logs")
            << GB << Setting::SkipAasaBanned << false
            << QStringList{banned(true, GB, "Aimbot", "BName"), banned(false, GB, "Wallhack", "BName")};
    }

    void filters()
    {
        QFETCH(QByteArray, guid);
        QFETCH(Setting, on);
        QFETCH(bool, queued);
        Fixture f;
        f.core.settings().setValue(on, QStringLiteral("1"));
        f.page({pageEntry(1, guid)});
        QVERIFY(f.core.visit().CollectPbSS(1));
        QCOMPARE(f.core.pool().QueueCount(), queued ? 1 : 0);
        QTEST(f.logged(), "lines");
    }

    void queuedEntryGetsFileAndTime()
    {
        Fixture f;
        // a banned line without "(-)" is logged whole and the visit goes on with the next entry; a shot whose
        // index text the database holds is not fetched again, nor one whose file name could leave the folder,
        // nor one without a GUID
        f.core.settings().setValue(Setting::SkipAasaBanned, QStringLiteral("1"));
        for (const QByteArray& text : {indexText(3, GN), indexText(9, GN)}) {
            vh::database::ScreenshotEntry e;
            e.IndexText = text;
            f.core.database().append(e);
        }
        PageEntry unsafe = pageEntry(4, GN);
        unsafe.FileName = "../pb000004.png";
        f.page({pageEntry(1, GA, false), pageEntry(2, GN), pageEntry(3, GN), unsafe, pageEntry(5, " ? ")});
        QVERIFY(f.core.visit().CollectPbSS(5));
        QCOMPARE(f.logged(), QStringList{QStringLiteral("65535: ") + QString::fromLatin1(indexText(1, GA, false)) +
                                         QStringLiteral(" already banned for Aimbot as: AName")});
        QCOMPARE(f.queuedFiles(), QStringList{QStringLiteral("pb000002.png")});
        const PageEntry& e = f.core.pool().queueEntry(1);
        QCOMPARE(QFile::decodeName(e.LocalFile), f.ws.path(QStringLiteral("PBSS/pb000002.png")));
        QCOMPARE(e.ShotTime, QByteArray("2026.12.06 10:00:00"));
    }

    void knownShotsAgreeWithSearchPerEntry()
    {
        // two letters give many equal pieces, the hard case for the index
        QRandomGenerator rng(4711);
        const auto randomText = [&rng](int length) {
            QByteArray t;
            for (int i = 0; i < length; ++i)
                t += char('a' + rng.bounded(2));
            return t;
        };
        std::vector<QByteArray> texts;
        for (int i = 0; i < 300; ++i)
            texts.push_back(randomText(int(rng.bounded(0, 200))));
        KnownShots known;
        known.build(texts);

        int found = 0;
        for (int round = 0; round < 600; ++round) {
            // across the boundary of two entries, or random text
            const auto& t = texts[rng.bounded(int(texts.size()))];
            const auto& next = texts[rng.bounded(int(texts.size()))];
            const QByteArray q =
                round % 2 ? t.right(int(rng.bounded(t.size() + 1))) + next.left(int(rng.bounded(next.size() + 1)))
                          : randomText(int(rng.bounded(1, 80)));
            const bool expected =
                std::any_of(texts.begin(), texts.end(), [&q](const QByteArray& text) { return text.contains(q); });
            found += expected;
            QVERIFY2(known.contains(q) == expected, q.constData());
        }
        QVERIFY2(found > 50 && found < 550, qPrintable(QString::number(found))); // the rounds hit both answers
    }

    void unsafeFileNames()
    {
        for (const QByteArray name :
             {"", "..pb00001.png", "pb/00001.png", "pb\\00001.png", "c:000001.png", "pb\n00001.png", "pb\x7f.png"})
            QVERIFY2(!ServerVisit::isSafeFileName(name), name.constData());
    }

    void lineTooShortForItsTimeEndsTheVisit()
    {
        Fixture f;
        PageEntry second = pageEntry(2, GN);
        second.IndexText = "000002 \"P\" x";
        f.page({pageEntry(1, GN), second, pageEntry(3, GN)});
        QVERIFY(!f.core.visit().CollectPbSS(3));
        QCOMPARE(f.queuedFiles(), QStringList{QStringLiteral("pb000001.png")});
    }

    void dueVersionChecksRunAfterAnyPage()
    {
        LocalHttpServer server;
        server.serve(QStringLiteral("/srv/pbsvss.htm"), "<html>moved</html>");
        Fixture f;
        f.core.settings().setValue(Setting::EnsureAasaBanlist, QStringLiteral("1"));
        f.core.settings().setValue(Setting::EnsureAciBanlist, QStringLiteral("1"));
        CountingChecks counting;
        f.core.flags().BanlistUpdateDue = true;
        f.visitWith(counting).ScanIndexPage(server.url(QStringLiteral("/srv/pbsvss.htm")));
        QCOMPARE(counting.checks, 11);
        QVERIFY(!f.core.flags().BanlistUpdateDue);
    }
};

QTEST_GUILESS_MAIN(TestServerVisit)
#include "tst_servervisit.moc"
