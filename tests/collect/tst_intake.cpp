#include "ScreenshotMaker.h"
#include "app/AppCore.h"
#include "util/PngBuilder.h"
#include "util/TestWorkspace.h"

#include <QDir>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

#include <memory>

using vh::base::Setting;
using vh::database::ScreenshotEntry;
using vh::shotmaker::ScreenshotMaker;
using vh::shotmaker::ShotInfo;

namespace {

const QByteArray Guid = "0123456789abcdef0123456789abcdef";
// the copy of an unreadable pb000123.png of the server below
const QString FailedCopy = QStringLiteral("127.0.0.1_pbsvss_pb000123.png");
const QByteArray IndexLine = "000123 \"Player\" GUID=" + Guid + " (OK) 2026.12.06 10:00:00";

QByteArray noisePng(int width, int height)
{
    QRandomGenerator rng(3);
    return vh::
        test::
            PngBuilder(width, height, vh::test::PngBuilder::ColourType::Rgb, 8, [&rng](int, int) {
                return QList<quint16>{quint16(rng.bounded(256)), quint16(rng.bounded(256)), quint16(rng.bounded(256))};
            }).build();
}

} // namespace

class TestIntake : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<vh::test::TestWorkspace> m_ws;
    std::unique_ptr<vh::app::AppCore> m_core;

    vh::database::Database& db() { return m_core->database(); }
    QStringList files(const QString& folder) const { return QDir(m_ws->path(folder)).entryList(QDir::Files); }
    QStringList logLines() const
    {
        QStringList out;
        for (const auto& line : m_core->log().lines())
            out << line.text;
        return out;
    }
    // Problems of intake and detection, not those of the start-up without data files.
    QStringList problems() const
    {
        return logLines().filter(QRegularExpression(QStringLiteral("Problems in (Scanning|checking|moving)")));
    }
    // One downloaded file taken in by worker 3; a null one never arrived.
    void takeIn(const QByteArray& png, const QByteArray& indexText = IndexLine)
    {
        const QString file = png.isNull() ? m_ws->path(QStringLiteral("PBSS/pb000123.png"))
                                          : m_ws->write(QStringLiteral("PBSS/pb000123.png"), png);
        m_core->intake().ProcessPBSS(
            3, vh::collect::DownloadedShot{"http://127.0.0.1/pbsvss", indexText, "2026.12.06 10:00:00", file});
    }

private Q_SLOTS:
    void init()
    {
        m_ws = std::make_unique<vh::test::TestWorkspace>();
        m_core = std::make_unique<vh::app::AppCore>();
        m_core->startupLoad(QStringLiteral("/nowhere/tst"), m_ws->base());
        const QDateTime fixed(QDate(2026, 12, 6), QTime(10, 39, 56));
        m_core->intake().setClock([fixed] { return fixed; });
        m_core->detection().setClock([fixed] { return fixed; });
        m_core->settings().setValue(Setting::DownloadedCount, QStringLiteral("41"));
    }

    void outcome_data()
    {
        QTest::addColumn<QByteArray>("png");
        QTest::addColumn<QByteArray>("indexText");
        QTest::addColumn<int>("inVault"); // -1: the vault folder is missing
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("downloaded");
        QTest::addColumn<QString>("problem");
        const QByteArray good = ScreenshotMaker().png();
        QTest::newRow("missing file") << QByteArray() << IndexLine << 0 << 0 << 41 << QString();
        QTest::newRow("6144 bytes dropped") << QByteArray(6144, 'x') << IndexLine << 0 << 0 << 41 << QString();
        // not a PNG: no copy is kept
        QTest::newRow("6145 bytes scanned") << QByteArray(6145, 'x') << IndexLine << 0 << 0 << 41
                                            << QStringLiteral("Problems in Scanning for text, error:");
        QTest::newRow("other player's screenshot deleted")
            << good << QByteArray("000123 \"Player\" GUID=ffffffffffffffffffffffffffffffff") << 0 << 0 << 41
            << QString();
        QTest::newRow("failed move") << good << IndexLine << -1 << 0 << 41
                                     << QStringLiteral("Problems in moving PBSS to vault, error:");
    }

    void outcome()
    {
        QFETCH(QByteArray, png);
        QFETCH(QByteArray, indexText);
        QFETCH(int, inVault);
        QFETCH(QString, problem);
        if (inVault < 0)
            QVERIFY(QDir(m_ws->path(QStringLiteral("PBSS/vault"))).removeRecursively());
        takeIn(png, indexText);
        if (inVault >= 0)
            QVERIFY(files(QStringLiteral("PBSS")).isEmpty());
        QVERIFY(files(QStringLiteral("PBSS/failed")).isEmpty());
        QCOMPARE(files(QStringLiteral("PBSS/vault")).size(), std::max(inVault, 0));
        QTEST(db().EntryCount(), "entries");
        QTEST(m_core->settings().value(Setting::DownloadedCount).toInt(), "downloaded");
        QCOMPARE(problems().size(), problem.isEmpty() ? 0 : 1);
        QVERIFY(problem.isEmpty() || problems().first().contains(problem));
        QCOMPARE(db().intakeSlot(3).GUID, QByteArray());
    }

    void acceptedScreenshotsBecomeEntries()
    {
        const QByteArray png = ScreenshotMaker().png();
        takeIn(png);
        const ScreenshotEntry& e = db().entry(1);
        QCOMPARE(e.VaultName, QByteArray("20261206103956pb000123.png"));
        QCOMPARE(e.ServerAddress, QByteArray("1.2.3.4"));
        QCOMPARE(e.IndexText, IndexLine);
        QCOMPARE(e.ServerURL, QByteArray("http://127.0.0.1/pbsvss"));
        QCOMPARE(m_core->settings().value(Setting::DownloadedCount), QStringLiteral("42"));
        // the slot is emptied except for its capture size
        ScreenshotEntry cleared;
        cleared.CaptureWidth = 640;
        cleared.CaptureHeight = 480;
        QCOMPARE(db().intakeSlot(3), cleared);
        // a vault name already taken gets a number; a remote name stays in the vault
        takeIn(png);
        ShotInfo info;
        info.shotFile = "../../evil.png";
        takeIn(ScreenshotMaker().setText(info).png());
        QCOMPARE(db().entry(2).VaultName, QByteArray("20261206103956pb000123.png_2"));
        QCOMPARE(db().entry(3).VaultName, QByteArray("20261206103956___.._evil.png"));
        QCOMPARE(files(QStringLiteral("PBSS/vault")).size(), 3);
        QCOMPARE(QDir(m_ws->base()).entryList(QDir::Files), QStringList());
    }

    void unreadableScreenshotLeavesOneCopyWithinBudget()
    {
        const QByteArray png = noisePng(100, 100).replace(60, 4000, QByteArray(4000, 'z'));
        m_core->detection().setFailedBudget(2 * png.size() + 10);
        const QDateTime old = QDateTime::currentDateTime().addDays(-1);
        for (const char* older : {"a_pb000001.png", "b_pb000002.png"}) {
            const QString path = m_ws->write(QStringLiteral("PBSS/failed/") + QLatin1String(older), png);
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite) &&
                    f.setFileTime(old.addSecs(older[0] == 'a' ? 0 : 60), QFileDevice::FileModificationTime));
        }
        db().CurrentEntry = 7;
        takeIn(png);
        // the same shot of the same server failing again replaces its copy
        takeIn(png);
        const QStringList failures = logLines().filter(QStringLiteral("Problems in Scanning for text, error:"));
        QCOMPARE(failures.size(), 2);
        QVERIFY2(failures.first().endsWith(QStringLiteral(" DB-entry: 7, x:0, y:0")), qPrintable(failures.first()));
        QCOMPARE(files(QStringLiteral("PBSS/failed")), (QStringList{FailedCopy, QStringLiteral("b_pb000002.png")}));
        QCOMPARE(m_ws->read(QStringLiteral("PBSS/failed/") + FailedCopy), png);
        QVERIFY(files(QStringLiteral("PBSS/vault")).isEmpty());
        QCOMPARE(db().EntryCount(), 0);
        QCOMPARE(logLines().filter(QStringLiteral("oldest copies")).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestIntake)
#include "tst_intake.moc"
