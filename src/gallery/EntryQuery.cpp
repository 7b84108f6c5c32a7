#include "gallery/EntryQuery.h"

#include "database/Database.h"

#include <QDate>
#include <QUrlQuery>

#include <algorithm>
#include <array>
#include <string_view>

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

// "YYYY.MM.DD..." as yyyymmdd; 0 for anything else.
quint32 dayNumber(const QByteArray& shotTime)
{
    if (shotTime.size() < 10 || shotTime.at(4) != '.' || shotTime.at(7) != '.')
        return 0;
    quint32 day = 0;
    for (const int i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        const char c = shotTime.at(i);
        if (c < '0' || c > '9')
            return 0;
        day = day * 10 + quint32(c - '0');
    }
    return day;
}

std::string_view view(const QByteArray& text, quint32 at, quint16 size)
{
    return std::string_view(text.constData() + at, size);
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

QByteArray toLowerLatin1(const QByteArray& text)
{
    QByteArray lower(text.size(), Qt::Uninitialized);
    const auto& t = lowerTable();
    for (qsizetype i = 0; i < text.size(); ++i)
        lower[i] = char(t[static_cast<unsigned char>(text.at(i))]);
    return lower;
}

void EntryIndex::build(const database::Database& db)
{
    m_rows.assign(std::size_t(db.EntryCount()), Row{});
    m_text.clear();
    m_text.reserve(qsizetype(db.EntryCount()) * 96);
    // members longer than a row can describe are cut; no real name or address comes near 65535 bytes
    const auto add = [this](const QByteArray& member) {
        const QByteArray part = member.left(0xFFFF);
        m_text += toLowerLatin1(part);
        return quint16(part.size());
    };
    for (int i = 1; i <= db.EntryCount(); ++i) {
        const database::ScreenshotEntry& e = db.entry(i);
        Row& row = m_rows[std::size_t(i - 1)];
        row.text = quint32(m_text.size());
        row.guid = add(e.GUID);
        row.name = add(e.PlayerName);
        row.server = add(e.ServerName);
        row.address = add(e.ServerAddress);
        row.day = dayNumber(e.ShotTime);
        row.marked = e.Cheating;
        row.detected = !e.AutoDetected.isEmpty();
    }
}

QList<int> EntryIndex::sameGuid(const QByteArray& guid) const
{
    const QByteArray lower = toLowerLatin1(guid);
    const std::string_view wanted(lower.constData(), std::size_t(lower.size()));
    QList<int> found;
    for (int i = count(); i >= 1; --i) {
        const Row& row = m_rows[std::size_t(i - 1)];
        if (row.guid == wanted.size() && view(m_text, row.text, row.guid) == wanted)
            found << i;
    }
    return found;
}

base::Checked<EntryFilter> EntryFilter::fromQuery(const QUrlQuery& query)
{
    using Result = base::Checked<EntryFilter>;
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
    if (!flag("marked", &f.marked) || !flag("detected", &f.detected))
        return Result::failed(QStringLiteral("marked and detected take 1 or 0"));
    for (const auto& [key, out] : {std::pair{"from", &f.from}, std::pair{"to", &f.to}}) {
        const QString v = value(key);
        if (!v.isEmpty() && !shotDate(v, out))
            return Result::failed(QStringLiteral("%1 takes a date YYYY-MM-DD").arg(QLatin1String(key)));
    }
    const QString page = value("page");
    if (!page.isEmpty()) {
        bool ok = false;
        f.page = page.toInt(&ok);
        if (!ok || f.page < 1)
            return Result::failed(QStringLiteral("page takes a number from 1"));
    }
    return Result::good(f);
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

EntryPage findEntries(const EntryIndex& index, const EntryFilter& filter, int pageSize)
{
    EntryPage result;
    result.page = filter.page;
    const qint64 first = qint64(filter.page - 1) * pageSize; // index among the matches, newest first
    if (filter.isEmpty()) {
        result.total = index.count();
        for (qint64 k = first; k < first + pageSize && k < result.total; ++k)
            result.entries << int(result.total - k);
    } else {
        const QByteArray guid = toLowerLatin1(filter.guid);
        const QByteArray name = toLowerLatin1(filter.name);
        const QByteArray server = toLowerLatin1(filter.server);
        const std::string_view g(guid.constData(), std::size_t(guid.size()));
        const std::string_view n(name.constData(), std::size_t(name.size()));
        const std::string_view s(server.constData(), std::size_t(server.size()));
        const quint32 from = filter.from.isEmpty() ? 0 : dayNumber(filter.from);
        const quint32 to = filter.to.isEmpty() ? 0 : dayNumber(filter.to);
        const bool dated = !filter.from.isEmpty() || !filter.to.isEmpty();
        for (int i = index.count(); i >= 1; --i) {
            const EntryIndex::Row& row = index.m_rows[std::size_t(i - 1)];
            quint32 at = row.text;
            const std::string_view rowGuid = view(index.m_text, at, row.guid);
            const std::string_view rowName = view(index.m_text, at += row.guid, row.name);
            const std::string_view rowServer = view(index.m_text, at += row.name, row.server);
            const std::string_view rowAddress = view(index.m_text, at += row.server, row.address);
            // a shot time that is not a date never falls into a range
            if ((filter.marked && !row.marked) || (filter.detected && !row.detected) || (!g.empty() && rowGuid != g) ||
                (!n.empty() && rowName.find(n) == std::string_view::npos) ||
                (!s.empty() && rowServer.find(s) == std::string_view::npos &&
                 rowAddress.find(s) == std::string_view::npos) ||
                (dated && (row.day == 0 || (from != 0 && row.day < from) || (to != 0 && row.day > to))))
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
