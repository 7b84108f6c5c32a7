#include "servers/IpRangesFile.h"

#include "servers/ProviderTable.h"
#include "servers/ServerList.h"

#include <optional>

namespace vh::servers {

namespace {

const QString ProblemPrefix = QStringLiteral("Problems in Loading IP-Ranges, error:");

QString problem(const QString& reason, int lineNumber, QByteArrayView line)
{
    return ProblemPrefix + reason + QStringLiteral(" in line %1: ").arg(lineNumber) + QString::fromLatin1(line);
}

std::optional<quint8> octet(const QByteArray& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 0 || value > 255)
        return std::nullopt;
    return quint8(value);
}

// The comma-separated items of a line, as the delimited-field input of the original reads them.
QList<QByteArray> itemsOf(QByteArrayView line)
{
    QList<QByteArray> items;
    for (const QByteArray& field : line.toByteArray().split(',')) {
        QByteArray item = field.trimmed();
        if (item.size() >= 2 && item.startsWith('"') && item.endsWith('"'))
            item = item.mid(1, item.size() - 2);
        items.append(item);
    }
    return items;
}

} // namespace

QStringList LoadIpRanges(const QByteArray& content, ProviderTable& providers, ServerList& servers)
{
    providers.clear();
    servers.beginRebuild();
    QString currentPath;
    const QList<QByteArrayView> lines = splitTextLines(content);
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const int lineNumber = int(n) + 1;
        for (const QByteArray& item : itemsOf(lines.at(n))) {
            if (item.startsWith("Providerpath:")) {
                currentPath = QString::fromLatin1(item.mid(13));
                if (providers.ProviderCount() > 0)
                    providers.provider(providers.ProviderCount()).Path = currentPath;
            } else if (item.startsWith("Provider:")) {
                if (!providers.addProvider(QString::fromLatin1(item.mid(9)), QString()))
                    return {problem(QStringLiteral("More than 100 providers"), lineNumber, item)};
            } else if (item.startsWith("Range:")) {
                const QByteArray rest = item.mid(6);
                const qsizetype d1 = rest.indexOf('.');
                const qsizetype d2 = d1 < 0 ? -1 : rest.indexOf('.', d1 + 1);
                const qsizetype d3 = d2 < 0 ? -1 : rest.indexOf('.', d2 + 1);
                const qsizetype dash = d3 < 0 ? -1 : rest.indexOf('-', d3 + 1);
                if (dash < 0)
                    continue;
                const auto a = octet(rest.left(d1));
                const auto b = octet(rest.mid(d1 + 1, d2 - d1 - 1));
                const auto c = octet(rest.mid(d2 + 1, d3 - d2 - 1));
                const auto first = octet(rest.mid(d3 + 1, dash - d3 - 1));
                const auto span = octet(rest.mid(dash + 1));
                if (!a || !b || !c || !first || !span)
                    return {problem(QStringLiteral("Number does not fit 0 to 255"), lineNumber, item)};
                if (int(*first) + int(*span) > 255)
                    return {problem(QStringLiteral("Range passes 255"), lineNumber, item)};
                const IpRange range{*a, *b, *c, *first, *span, quint8(providers.ProviderCount())};
                if (!providers.addRange(range))
                    return {problem(QStringLiteral("More than 200 IP-ranges"), lineNumber, item)};
                const QString prefix = QStringLiteral("%1.%2.%3.").arg(range.A).arg(range.B).arg(range.C);
                // the path split once at its placeholders, so each address only joins the pieces
                const QStringList pieces =
                    currentPath.split(QStringLiteral("%ip%"), Qt::KeepEmptyParts, Qt::CaseInsensitive);
                for (int i = range.First; i <= int(range.First) + int(range.Span); ++i) {
                    const QString ip = prefix + QString::number(i);
                    const QString url = pieces.join(ip);
                    if (!servers.appendServer(ip, qint16(providers.ProviderCount()), url))
                        return {problem(QStringLiteral("More than 32767 servers"), lineNumber, item)};
                }
            }
        }
    }
    return {};
}

} // namespace vh::servers
