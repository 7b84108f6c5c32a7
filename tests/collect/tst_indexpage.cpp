#include "collect/IndexPage.h"

#include <QtTest>

using vh::collect::IndexPageLimits;
using vh::collect::IndexPageScan;
using vh::collect::parseIndexPage;

Q_DECLARE_METATYPE(IndexPageLimits)
Q_DECLARE_METATYPE(IndexPageScan::Outcome)

namespace {

const QByteArray Url = "http://10.0.0.1:8080/srv/pbsvss.htm";
const QByteArray Guid = "0123456789abcdef0123456789ABCDEF";

// One screenshot line as PunkBuster writes it: the file stem at character 13, the shot number at 40.
QByteArray line(int number, const QByteArray& when, const QByteArray& name = "Player")
{
    const QByteArray n = QByteArray::number(number).rightJustified(6, '0');
    return "<p> <a href=pb" + n + ".htm target=_blank>" + n + "</a> \"" + name + "\" (W) GUID=" + Guid + "(-) [" +
           when + "]";
}

QByteArray page(const QList<QByteArray>& lines)
{
    QByteArray p;
    for (const QByteArray& l : lines)
        p += l + "\r\n";
    return p;
}

QByteArray at(int hoursBefore)
{
    const QDateTime newest(QDate(2026, 12, 6), QTime(12, 30, 0));
    return newest.addSecs(-3600LL * hoursBefore).toString(QStringLiteral("yyyy.MM.dd HH:mm:ss")).toLatin1();
}

QList<QByteArray> numbered(const QList<int>& numbers)
{
    QList<QByteArray> lines;
    for (int n : numbers)
        lines << line(n, at(0));
    return lines;
}

QList<int> numbersOf(const IndexPageScan& scan)
{
    QList<int> out;
    for (const auto& e : scan.entries)
        out << e.IndexText.left(6).toInt();
    return out;
}

QList<int> range(int from, int to)
{
    QList<int> out;
    for (int i = from; i <= to; ++i)
        out << i;
    return out;
}

} // namespace

class TestIndexPage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void choosesLines_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<IndexPageLimits>("limits");
        QTest::addColumn<QList<int>>("numbers"); // shot numbers of the entries made, oldest first
        QTest::addColumn<int>("highest");

        QTest::newRow("no limits: all 20") << page(numbered(range(1, 20))) << IndexPageLimits{} << range(1, 20) << 20;
        QTest::newRow("limit 5 of 20") << page(numbered(range(1, 20))) << IndexPageLimits{true, 5, false, 0}
                                       << range(16, 20) << 20;
        QList<QByteArray> aged;
        for (int i = 0; i < 20; ++i)
            aged << line(i + 1, at(i < 10 ? 30 : 19 - i));
        QTest::newRow("age limit keeps 9 to 19")
            << page(aged) << IndexPageLimits{false, 0, true, 24} << range(10, 20) << 20;
        QTest::newRow("age exactly the limit stays")
            << page({line(1, at(24)), line(2, at(0))}) << IndexPageLimits{false, 0, true, 24} << QList<int>{1, 2} << 2;
        QTest::newRow("two lines exactly at the limit stay")
            << page({line(1, at(24)), line(2, at(24)), line(3, at(0))}) << IndexPageLimits{false, 0, true, 24}
            << QList<int>{1, 2, 3} << 3;
        QTest::newRow("age counts hour boundaries")
            << page({line(1, "2026.12.05 11:59:59"), line(2, "2026.12.06 12:00:00")})
            << IndexPageLimits{false, 0, true, 24} << QList<int>{1, 2} << 2;
        QTest::newRow("repeated-number cut")
            << page(numbered({12, 13, 10, 11, 12, 13})) << IndexPageLimits{} << QList<int>{10, 11, 12, 13} << 6;
        QTest::newRow("paragraph normalisation")
            << "<p>\n" + page({line(1, at(0)), line(2, at(0))}) << IndexPageLimits{} << QList<int>{1, 2} << 2;
        QTest::newRow("text after the last line end is not used")
            << page({line(1, at(0))}) + line(2, at(0)) << IndexPageLimits{} << QList<int>{1} << 1;
    }

    void choosesLines()
    {
        QFETCH(QByteArray, page);
        QFETCH(IndexPageLimits, limits);
        QFETCH(QList<int>, numbers);
        QFETCH(int, highest);
        const IndexPageScan scan = parseIndexPage(page, Url, limits);
        QCOMPARE(scan.outcome, IndexPageScan::Outcome::Parsed);
        QCOMPARE(numbersOf(scan), numbers);
        QCOMPARE(scan.highestIndex, highest);
    }

    void entryFields()
    {
        QByteArray odd = line(7, "2026.12.06 10:00:00", "Some Name");
        odd.replace("GUID=", "guid=");
        const IndexPageScan scan = parseIndexPage(page({odd, line(8, "2026.12.06 10:00:01")}), Url, {});
        QCOMPARE(scan.outcome, IndexPageScan::Outcome::Parsed);
        QCOMPARE(scan.entries.size(), std::size_t(2));
        const auto& e = scan.entries[0];
        QCOMPARE(e.BaseURL, QByteArray("http://10.0.0.1:8080/srv"));
        QCOMPARE(e.FileName, QByteArray("pb000007.png"));
        QCOMPARE(e.IndexText, QByteArray("000007 \"Some Name\" (W) guid=" + Guid + "(-) [2026.12.06 10:00:00]"));
        QCOMPARE(e.PlayerName, QByteArray("Some Name"));
        QCOMPARE(e.GUID, Guid);
        QVERIFY(e.LocalFile.isEmpty() && e.ShotTime.isEmpty());

        QByteArray noGuid = line(9, "2026.12.06 10:00:00");
        noGuid.replace("GUID=", "GUIX=");
        const IndexPageScan without = parseIndexPage(page({noGuid}), Url, {});
        // without "GUID=" the 32 characters from the fifth are taken
        QCOMPARE(without.entries.at(0).GUID, without.entries.at(0).IndexText.mid(4, 32));
    }

    void outcome_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<IndexPageLimits>("limits");
        QTest::addColumn<int>("maxEntries");
        QTest::addColumn<IndexPageScan::Outcome>("outcome");
        QTest::addColumn<int>("entries");

        using O = IndexPageScan::Outcome;
        const QByteArray three = page(numbered({1, 2, 3}));
        QTest::newRow("empty page") << QByteArray() << IndexPageLimits{} << 30000 << O::Empty << 0;
        QTest::newRow("error page") << QByteArray("<html>404</html>") << IndexPageLimits{} << 30000 << O::NotIndex << 0;
        QByteArray huge = page(numbered({1, 2}));
        huge += QByteArray(vh::collect::MaxIndexPageBytes, 'x');
        QTest::newRow("page larger than any index") << huge << IndexPageLimits{} << 30000 << O::NotIndex << 0;
        QTest::newRow("paragraph in capitals is no index")
            << QByteArray("<P> <a x\r\n") << IndexPageLimits{} << 30000 << O::NotIndex << 0;
        QByteArray quoteless = line(2, at(0));
        quoteless.replace('"', '\'');
        QTest::newRow("line without quotes ends the visit there")
            << page({line(1, at(0)), quoteless, line(3, at(0))}) << IndexPageLimits{} << 30000 << O::Abandoned << 1;
        QTest::newRow("entry beyond the table") << three << IndexPageLimits{} << 2 << O::Abandoned << 2;
        QTest::newRow("line too short for its age")
            << page({"<p> <a x", line(2, at(0))}) << IndexPageLimits{false, 0, true, 24} << 30000 << O::Abandoned << 0;
        QTest::newRow("shot time no date") << page({line(1, "2026.13.45 10:00:00"), line(2, at(0))})
                                           << IndexPageLimits{false, 0, true, 24} << 30000 << O::Abandoned << 0;
    }

    void outcome()
    {
        QFETCH(QByteArray, page);
        QFETCH(IndexPageLimits, limits);
        QFETCH(int, maxEntries);
        QFETCH(IndexPageScan::Outcome, outcome);
        QFETCH(int, entries);
        const IndexPageScan scan = parseIndexPage(page, Url, limits, maxEntries);
        QCOMPARE(scan.outcome, outcome);
        QCOMPARE(int(scan.entries.size()), entries);
    }

    void hourBoundaries_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qint64>("hours");
        QTest::newRow("one second across the hour")
            << QByteArray("2026-12-06 10:59:59") << QByteArray("2026-12-06 11:00:00") << true << qint64(1);
        QTest::newRow("59 minutes within the hour")
            << QByteArray("2026-12-06 10:00:00") << QByteArray("2026-12-06 10:59:59") << true << qint64(0);
        QTest::newRow("backwards") << QByteArray("2026-12-06 12:00:00") << QByteArray("2026-12-06 10:00:00") << true
                                   << qint64(-2);
        QTest::newRow("no date") << QByteArray("2026-02-30 10:00:00") << QByteArray("2026-12-06 10:00:00") << false
                                 << qint64(0);
    }

    void hourBoundaries()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(bool, ok);
        QFETCH(qint64, hours);
        qint64 got = 0;
        QCOMPARE(vh::collect::hourBoundariesBetween(from, to, &got), ok);
        if (ok)
            QCOMPARE(got, hours);
    }
};

QTEST_GUILESS_MAIN(TestIndexPage)
#include "tst_indexpage.moc"
