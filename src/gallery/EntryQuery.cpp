#include "gallery/EntryQuery.h"

#include "database/Database.h"

#include <QDate>
#include <QUrlQuery>

#include <algorithm>
#include <array>

namespace vh::gallery {

namespace {

const std::array<unsigned char, 256>& lowerTable()
{
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int i = 0; i < 256; ++i) {
            const char16_t lower = QChar(char16_t(i)).toLower().unicode();
            t[std::size_t(i)] = lower < 256 ? static_cast<unsigned char>(lower) : static_cast<unsigned char>(i);
        }
        return t;
    }();
    return table;
}

bool sameLetter(char a, char b)
{
    const auto& t = lowerTable();
    return t[static_cast<unsigned char>(a)] == t[static_cast<unsigned char>(b)];
}

// "YYYY-MM-DD" of a real day, turned into the shot time's spelling "YYYY.MM.DD".
bool shotDate(const QString& value, QByteArray* out)
{
    if (value.size() != 10 || !QDate::fromString(value, QStringLiteral("yyyy-MM-dd")).isValid())
        return false;
    *out = value.toLatin1().replace('-', '.');
    return true;
}

} // namespace

bool equalsIgnoringCase(const QByteArray& a, const QByteArray& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), sameLetter);
}

bool containsIgnoringCase(const QByteArray& haystack, const QByteArray& needle)
{
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end(), sameLetter) != haystack.end();
}

bool EntryFilter::fromQuery(const QUrlQuery& query, EntryFilter* filter, QString* problem)
{
    EntryFilter f;
    const auto value = [&query](const char* key) {
        return query.queryItemValue(QLatin1String(key), QUrl::FullyDecoded);
    };
    // stored text is single-byte; a character outside it cannot occur in an entry
    f.guid = value("guid").trimmed().toLatin1();
    f.name = value("name").toLatin1();
    f.server = value("server").toLatin1();
    const auto flag = [&](const char* key, bool* out) {
        const QString v = value(key);
        if (v.isEmpty() || v == QLatin1String("0"))
            return true;
        *out = true;
        return v == QLatin1String("1") || v == QLatin1String("on");
    };
    if (!flag("marked", &f.marked) || !flag("detected", &f.detected)) {
        *problem = QStringLiteral("marked and detected take 1 or 0");
        return false;
    }
    for (const auto& [key, out] : {std::pair{"from", &f.from}, std::pair{"to", &f.to}}) {
        const QString v = value(key);
        if (!v.isEmpty() && !shotDate(v, out)) {
            *problem = QStringLiteral("%1 takes a date YYYY-MM-DD").arg(QLatin1String(key));
            return false;
        }
    }
    const QString page = value("page");
    if (!page.isEmpty()) {
        bool ok = false;
        f.page = page.toInt(&ok);
        if (!ok || f.page < 1) {
            *problem = QStringLiteral("page takes a number from 1");
            return false;
        }
    }
    *filter = f;
    return true;
}

QString EntryFilter::toQueryString(int pageNumber) const
{
    QUrlQuery q;
    const auto add = [&q](const char* key, const QByteArray& v) {
        if (!v.isEmpty())
            q.addQueryItem(QLatin1String(key), QString::fromLatin1(v));
    };
    add("guid", guid);
    add("name", name);
    add("server", server);
    if (marked)
        q.addQueryItem(QStringLiteral("marked"), QStringLiteral("1"));
    if (detected)
        q.addQueryItem(QStringLiteral("detected"), QStringLiteral("1"));
    add("from", QByteArray(from).replace('.', '-'));
    add("to", QByteArray(to).replace('.', '-'));
    if (pageNumber > 1)
        q.addQueryItem(QStringLiteral("page"), QString::number(pageNumber));
    // every reserved character encoded, so the result can be placed in an attribute after escaping
    return q.toString(QUrl::FullyEncoded);
}

bool EntryFilter::isEmpty() const
{
    return guid.isEmpty() && name.isEmpty() && server.isEmpty() && !marked && !detected && from.isEmpty() &&
           to.isEmpty();
}

bool EntryFilter::matches(const database::ScreenshotEntry& e) const
{
    if (marked && !e.Cheating)
        return false;
    if (detected && e.AutoDetected.isEmpty())
        return false;
    if (!guid.isEmpty() && !equalsIgnoringCase(e.GUID, guid))
        return false;
    if (!name.isEmpty() && !containsIgnoringCase(e.PlayerName, name))
        return false;
    if (!server.isEmpty() && !containsIgnoringCase(e.ServerName, server) &&
        !containsIgnoringCase(e.ServerAddress, server))
        return false;
    if (!from.isEmpty() || !to.isEmpty()) {
        const QByteArray day = e.ShotTime.left(10);
        // a shot time that is not a date never falls into a range
        if (day.size() != 10 || day.at(4) != '.' || day.at(7) != '.')
            return false;
        if ((!from.isEmpty() && day < from) || (!to.isEmpty() && day > to))
            return false;
    }
    return true;
}

EntryPage findEntries(const database::Database& db, const EntryFilter& filter, int pageSize)
{
    EntryPage result;
    result.page = filter.page;
    const qint64 first = qint64(filter.page - 1) * pageSize; // index among the matches, newest first
    if (filter.isEmpty()) {
        result.total = db.EntryCount();
        for (qint64 k = first; k < first + pageSize && k < result.total; ++k)
            result.entries << int(result.total - k);
    } else {
        for (int i = db.EntryCount(); i >= 1; --i) {
            if (!filter.matches(db.entry(i)))
                continue;
            if (result.total >= first && result.total < first + pageSize)
                result.entries << i;
            ++result.total;
        }
    }
    result.pageCount = std::max(1, (result.total + pageSize - 1) / pageSize);
    return result;
}

} // namespace vh::gallery
