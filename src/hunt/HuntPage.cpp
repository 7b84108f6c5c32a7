#include "hunt/HuntPage.h"

#include "collect/IndexPage.h"
#include "hunt/PreyMatcher.h"
#include "servers/ServerList.h"

#include <QHostAddress>

#include <algorithm>

namespace vh::hunt {

namespace {

qsizetype indexOfNoCase(QByteArrayView hay, QByteArrayView needle, qsizetype from)
{
    for (qsizetype i = std::max<qsizetype>(from, 0); i + needle.size() <= hay.size(); ++i) {
        if (qstrnicmp(hay.data() + i, needle.size(), needle.data(), needle.size()) == 0)
            return i;
    }
    return -1;
}

QByteArrayView field(QByteArrayView line, qsizetype from, qsizetype count)
{
    if (from >= line.size())
        return {};
    return line.sliced(from, std::min(count, line.size() - from));
}

} // namespace

HuntPageScan ScanHuntPage(const QByteArray& rawPage, const QByteArray& pageUrl, const PreyMatcher& prey)
{
    HuntPageScan scan;
    if (rawPage.isEmpty())
        return scan;
    if (rawPage.size() > collect::MaxIndexPageBytes || pageUrl.size() < 11) {
        scan.outcome = HuntPageScan::Outcome::NotIndex;
        return scan;
    }
    // most pages hold no prey: one pass over the bytes ends them before anything is split
    if (!prey.occursIn(rawPage)) {
        scan.outcome = HuntPageScan::Outcome::NoPrey;
        return scan;
    }
    QByteArray page = collect::normaliseIndexPage(rawPage);
    if (page.contains("\n\""))
        page.replace("\n\"", "\"");
    if (!page.startsWith("<p> <a")) {
        scan.outcome = HuntPageScan::Outcome::NotIndex;
        return scan;
    }
    scan.outcome = HuntPageScan::Outcome::Scanned;
    const QByteArray baseUrl = pageUrl.left(pageUrl.size() - 11);

    std::vector<QByteArrayView> lines;
    qsizetype start = 0;
    for (qsizetype at = page.indexOf("\r\n"); at >= 0; at = page.indexOf("\r\n", start)) {
        lines.emplace_back(page.constData() + start, at - start);
        start = at + 2;
    }
    // the text after the last CR LF is never a screenshot line
    const int E = int(lines.size()) - 1;
    int S = 0;
    if (E >= 0) {
        const QByteArrayView newest = field(lines[std::size_t(E)], 39, 6);
        for (int i = E - 1; i >= 0; --i) {
            if (field(lines[std::size_t(i)], 39, 6) == newest) {
                S = i + 1;
                break;
            }
        }
    }
    scan.examinedLines = E - S + 1;

    for (int i = S; i <= E; ++i) {
        const QByteArrayView line = lines[std::size_t(i)];
        if (!prey.occursIn(line))
            continue;
        collect::PageEntry e;
        e.BaseURL = baseUrl;
        e.FileName = field(line, 12, 8).toByteArray() + ".png";
        e.IndexText = field(line, 39, line.size()).toByteArray();
        if (e.IndexText.contains("</a>"))
            e.IndexText.replace("</a>", "");
        const qsizetype q1 = e.IndexText.indexOf('"');
        const qsizetype q2 = q1 >= 0 ? e.IndexText.indexOf('"', q1 + 1) : -1;
        if (q2 < 0) {
            scan.unreadableLines.push_back(i);
            continue;
        }
        e.PlayerName = e.IndexText.mid(q1 + 1, q2 - q1 - 1);
        const qsizetype g = indexOfNoCase(e.IndexText, "GUID=", q1 + 1);
        // without "GUID=" the 32 characters from the fifth are taken, and intake later refuses the shot
        e.GUID = e.IndexText.mid(g >= 0 ? g + 5 : 4, 32);
        scan.entries.push_back(std::move(e));
    }
    return scan;
}

QString huntPageFileName(const QString& ip)
{
    QHostAddress address;
    const QStringList parts = ip.split(QLatin1Char('.'));
    bool plain = parts.size() == 4 && address.setAddress(ip) && address.protocol() == QAbstractSocket::IPv4Protocol;
    for (const QString& part : parts) {
        // only decimal dotted quads: "0x7f.1" and "1e2" are addresses to some parsers, not to this name
        plain = plain && !part.isEmpty() && part.size() <= 3 &&
                std::all_of(part.begin(), part.end(), [](QChar c) { return c.isDigit() && c.unicode() < 128; });
    }
    if (plain)
        return ip + QStringLiteral(".htm");
    return QStringLiteral("x") + QString::fromLatin1(ip.toUtf8().toHex()) + QStringLiteral(".htm");
}

std::vector<HuntQueueRecord> buildHuntQueue(const servers::ServerList& servers, const QString& tempFolder)
{
    std::vector<std::pair<int, int>> named; // first character code, server index
    for (int i = 0; i < servers.ServerCount(); ++i) {
        const QString& name = servers.at(i).ServerName;
        if (name.isEmpty() || name.compare(QLatin1String("unknown"), Qt::CaseInsensitive) == 0)
            continue;
        // only names starting with a single-byte character; nothing else can come from the single-byte files
        if (name.at(0).unicode() > 255)
            continue;
        named.emplace_back(name.at(0).unicode(), i);
    }
    std::stable_sort(named.begin(), named.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<HuntQueueRecord> queue;
    queue.reserve(named.size());
    for (const auto& [code, i] : named) {
        const auto& s = servers.at(i);
        queue.push_back({s.PageURL, tempFolder + QLatin1Char('/') + huntPageFileName(s.IP), s.ServerName});
    }
    return queue;
}

} // namespace vh::hunt
