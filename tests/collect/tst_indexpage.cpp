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
    void parse_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<IndexPageLimits>("limits");
        QTest::addColumn<int>("maxEntries");
        QTest::addColumn<IndexPageScan::Outcome>("outcome");
        QTest::addColumn<QList<int>>("numbers"); // shot numbers of the entries made, oldest first

        using O = IndexPageScan::Outcome;
        const IndexPageLimits none;
        const IndexPageLimits day{false, 0, true, 24};
        QTest::newRow("limit 5 of 20") << page(numbered(range(1, 20))) << IndexPageLimits{true, 5, false, 0} << 30000
                                       << O::Parsed << range(16, 20);
        QList<QByteArray> aged;
        for (int i = 0; i < 20; ++i)
            aged << line(i + 1, at(i < 10 ? 30 : 19 - i));
        QTest::newRow("age limit keeps 10 to 20") << page(aged) << day << 30000 << O::Parsed << range(10, 20);
        QTest::newRow("two lines exactly at the limit stay") << page({line(1, at(24)), line(2, at(24)), line(3, at(0))})
                                                             << day << 30000 << O::Parsed << QList<int>{1, 2, 3};
        QTest::newRow("repeated-number cut")
            << page(numbered({12, 13, 10, 11, 12, 13})) << none << 30000 << O::Parsed << QList<int>{10, 11, 12, 13};
        QTest::newRow("paragraph normalisation")
            << "<p>\n" + page({line(1, at(0)), line(2, at(0))}) << none << 30000 << O::Parsed << QList<int>{1, 2};
        QTest::newRow("text after the last line end is not used")
            << page({line(1, at(0))}) + line(2, at(0)) << none << 30000 << O::Parsed << QList<int>{1};
        QTest::newRow("empty page") << QByteArray() << none << 30000 << O::Empty << QList<int>{};
        QTest::newRow("page larger than any index")
            << page(numbered({1, 2})) + QByteArray(vh::collect::MaxIndexPageBytes, 'x') << none << 30000 << O::NotIndex
            << QList<int>{};
        QTest::newRow("paragraph in capitals is no index")
            << QByteArray("<P> <a x\r\n") << none << 30000 << O::NotIndex << QList<int>{};
        QByteArray quoteless = line(2, at(0));
        quoteless.replace('"', '\'');
        QTest::newRow("line without quotes ends the visit there")
            << page({line(1, at(0)), quoteless, line(3, at(0))}) << none << 30000 << O::Abandoned << QList<int>{1};
        QTest::newRow("entry beyond the table")
            << page(numbered({1, 2, 3})) << none << 2 << O::Abandoned << QList<int>{1, 2};
        QTest::newRow("line too short for its age")
            << page({"<p> <a x", line(2, at(0))}) << day << 30000 << O::Abandoned << QList<int>{};
        QTest::newRow("shot time no date")
            << page({line(1, "2026.13.45 10:00:00"), line(2, at(0))}) << day << 30000 << O::Abandoned << QList<int>{};
    }

    void parse()
    {
        QFETCH(QByteArray, page);
        QFETCH(IndexPageLimits, limits);
        QFETCH(int, maxEntries);
        const IndexPageScan scan = parseIndexPage(page, Url, limits, maxEntries);
        QTEST(scan.outcome, "outcome");
        QTEST(numbersOf(scan), "numbers");
    }

    void guidField()
    {
        QByteArray small = line(7, "2026.12.06 10:00:00");
        small.replace("GUID=", "guid=");
        QByteArray none = line(9, "2026.12.06 10:00:00");
        none.replace("GUID=", "GUIX=");
        const IndexPageScan scan = parseIndexPage(page({small, none}), Url, {});
        QCOMPARE(scan.entries.size(), std::size_t(2));
        QCOMPARE(scan.entries[0].GUID, Guid);
        // without "GUID=" the 32 characters from the fifth are taken
        QCOMPARE(scan.entries[1].GUID, scan.entries[1].IndexText.mid(4, 32));
    }
};

QTEST_GUILESS_MAIN(TestIndexPage)
#include "tst_indexpage.moc"
