#include "collect/IndexPage.h"

#include <QByteArrayView>
#include <QDate>

#include <optional>
#include <unordered_set>

namespace vh::collect {

namespace {

struct Line
{
    qsizetype begin = 0;
    qsizetype end = 0;
};

// A shot time "yyyy-MM-dd hh:mm:ss"; the date parts may also be separated by points, as the page writes them.
std::optional<QDate> readDate(QByteArrayView t, int* hour)
{
    const auto dateMark = [](char c) { return c == '-' || c == '.'; };
    if (t.size() != 19 || !dateMark(t[4]) || !dateMark(t[7]) || t[10] != ' ' || t[13] != ':' || t[16] != ':')
        return std::nullopt;
    auto num = [&t](int from, int count, bool* ok) {
        int v = 0;
        for (int i = from; i < from + count; ++i) {
            if (t[i] < '0' || t[i] > '9')
                *ok = false;
            v = v * 10 + (t[i] - '0');
        }
        return v;
    };
    bool ok = true;
    const int year = num(0, 4, &ok);
    const int month = num(5, 2, &ok);
    const int day = num(8, 2, &ok);
    const int h = num(11, 2, &ok);
    const int m = num(14, 2, &ok);
    const int s = num(17, 2, &ok);
    if (!ok || !QDate::isValid(year, month, day) || h > 23 || m > 59 || s > 59)
        return std::nullopt;
    *hour = h;
    return QDate(year, month, day);
}

// The date and time of a line (the 19 characters ending one before its end) in hours.
std::optional<qint64> shotHour(QByteArrayView line)
{
    if (line.size() < 20)
        return std::nullopt;
    int hour = 0;
    const auto date = readDate(line.sliced(line.size() - 20, 19), &hour);
    if (!date)
        return std::nullopt;
    return date->toJulianDay() * 24 + hour;
}

// The shot number as a number, read like a lenient numeric conversion: leading digits, else 0.
int shotNumber(QByteArrayView line)
{
    const QByteArrayView field =
        line.size() > 39 ? line.sliced(39, std::min<qsizetype>(6, line.size() - 39)) : QByteArrayView();
    qsizetype i = 0;
    while (i < field.size() && field[i] == ' ')
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '-' || field[i] == '+')) {
        negative = field[i] == '-';
        ++i;
    }
    int v = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i)
        v = v * 10 + (field[i] - '0');
    return negative ? -v : v;
}

qsizetype indexOfNoCase(QByteArrayView hay, QByteArrayView needle, qsizetype from)
{
    const char first = needle.front();
    const char other = QChar::isLower(uint(uchar(first))) ? char(QChar::toUpper(uint(uchar(first))))
                                                          : char(QChar::toLower(uint(uchar(first))));
    for (qsizetype i = from; i + needle.size() <= hay.size(); ++i) {
        if ((hay[i] == first || hay[i] == other) && qstrnicmp(hay.data() + i, needle.data(), needle.size()) == 0)
            return i;
    }
    return -1;
}

} // namespace

bool hourBoundariesBetween(const QByteArray& from, const QByteArray& to, qint64* hours)
{
    int hFrom = 0;
    int hTo = 0;
    const auto dFrom = readDate(from, &hFrom);
    const auto dTo = readDate(to, &hTo);
    if (!dFrom || !dTo)
        return false;
    *hours = (dTo->toJulianDay() - dFrom->toJulianDay()) * 24 + (hTo - hFrom);
    return true;
}

QByteArray normaliseIndexPage(const QByteArray& page)
{
    QByteArray out;
    qsizetype copied = 0;
    // every joined pair has a line feed in its middle; lines end in CR LF, so most feeds are passed at once
    for (qsizetype at = page.indexOf('\n'); at >= 0; at = page.indexOf('\n', at + 1)) {
        if (at < copied + 3 || at + 4 > page.size() || qstrnicmp(page.constData() + at - 3, "<p>", 3) != 0 ||
            qstrnicmp(page.constData() + at + 1, "<p>", 3) != 0)
            continue;
        if (out.isEmpty())
            out.reserve(page.size());
        out.append(page.constData() + copied, at - 3 - copied);
        out.append("<p>");
        copied = at + 4;
        at += 3;
    }
    if (copied == 0)
        return page;
    out.append(page.constData() + copied, page.size() - copied);
    return out;
}

IndexPageScan parseIndexPage(const QByteArray& rawPage, const QByteArray& pageUrl, const IndexPageLimits& limits,
                             int maxEntries)
{
    IndexPageScan scan;
    if (rawPage.isEmpty())
        return scan;
    if (rawPage.size() > MaxIndexPageBytes) {
        scan.outcome = IndexPageScan::Outcome::NotIndex;
        return scan;
    }
    const QByteArray page = normaliseIndexPage(rawPage);
    if (!page.startsWith("<p> <a")) {
        scan.outcome = IndexPageScan::Outcome::NotIndex;
        return scan;
    }

    std::vector<Line> lines;
    lines.reserve(std::size_t(page.count('\n')) + 1);
    qsizetype start = 0;
    for (qsizetype at = page.indexOf("\r\n"); at >= 0; at = page.indexOf("\r\n", start)) {
        lines.push_back({start, at});
        start = at + 2;
    }
    lines.push_back({start, page.size()});
    const int L = int(lines.size()) - 2;
    scan.highestIndex = L + 1;
    scan.lastLine = L;
    scan.outcome = IndexPageScan::Outcome::Abandoned;
    auto line = [&](int i) {
        return QByteArrayView(page.constData() + lines[std::size_t(i)].begin,
                              lines[std::size_t(i)].end - lines[std::size_t(i)].begin);
    };

    int S = 0;
    if (limits.limitPerServer && L - S > limits.perServerLimit)
        S = L - limits.perServerLimit + 1;

    if (limits.limitByAge) {
        if (L < 0)
            return scan;
        const auto reference = shotHour(line(L));
        if (!reference)
            return scan;
        int remembered = -1;
        for (int i = S; i <= L - 1; ++i) {
            const auto hour = shotHour(line(i));
            if (!hour)
                return scan;
            if (*reference - *hour > limits.maxAgeHours)
                remembered = i;
        }
        if (remembered >= 0)
            S = remembered;
    }

    // the lines older than the first repeated number belong to an earlier cycle of the server's numbering
    std::unordered_set<int> seen;
    for (int i = L; i >= S; --i) {
        if (!seen.insert(shotNumber(line(i))).second) {
            S = i + 1;
            break;
        }
    }
    scan.firstLine = S;
    scan.linesChosen = true;

    if (S <= L)
        scan.entries.reserve(std::size_t(std::min(L - S + 1, maxEntries)));
    for (int i = S; i <= L; ++i) {
        if (int(scan.entries.size()) >= maxEntries || pageUrl.size() < 11)
            return scan;
        const QByteArrayView text = line(i);
        PageEntry e;
        e.BaseURL = pageUrl.left(pageUrl.size() - 11);
        e.FileName = text.sliced(std::min<qsizetype>(12, text.size()))
                         .first(std::min<qsizetype>(8, std::max<qsizetype>(0, text.size() - 12)))
                         .toByteArray() +
                     ".png";
        e.IndexText = text.size() > 39 ? text.sliced(39).toByteArray() : QByteArray();
        if (e.IndexText.contains("</a>"))
            e.IndexText.replace("</a>", "");
        const qsizetype q1 = e.IndexText.indexOf('"');
        const qsizetype q2 = q1 >= 0 ? e.IndexText.indexOf('"', q1 + 1) : -1;
        if (q2 < 0)
            return scan;
        e.PlayerName = e.IndexText.mid(q1 + 1, q2 - q1 - 1);
        const qsizetype g = indexOfNoCase(e.IndexText, "GUID=", q1 + 1);
        // without "GUID=" the 32 characters from the fifth are taken, and intake later refuses the shot
        e.GUID = e.IndexText.mid(g >= 0 ? g + 5 : 4, 32);
        scan.entries.push_back(std::move(e));
    }
    scan.outcome = IndexPageScan::Outcome::Parsed;
    return scan;
}

} // namespace vh::collect
