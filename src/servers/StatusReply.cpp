#include "servers/StatusReply.h"

#include "base/Blanks.h"
#include "servers/ServerEntry.h"

namespace vh::servers {

QByteArray statusQueryPacket()
{
    return QByteArray("\xFE\xFD\x00\x04\x05\x06\x07\xFF\xFF\xFF", 10);
}

namespace {

std::optional<QString> between(const QString& text, QLatin1String open, QLatin1String close)
{
    const qsizetype start = text.indexOf(open, 0, Qt::CaseInsensitive);
    if (start < 0)
        return std::nullopt;
    const qsizetype from = start + open.size();
    const qsizetype end = text.indexOf(close, from, Qt::CaseInsensitive);
    if (end < 0)
        return std::nullopt;
    return text.mid(from, end - from);
}

using base::trimBlanks;

} // namespace

bool isOfficialServerName(const QString& hostName)
{
    return hostName.startsWith(QLatin1String("U.S. Army Official E "), Qt::CaseInsensitive) ||
           hostName.startsWith(QLatin1String("U.S. Army Official W "), Qt::CaseInsensitive) ||
           hostName.startsWith(QLatin1String("U.S. Army Official EU "), Qt::CaseInsensitive);
}

QString removeColourCodes(QString name)
{
    qsizetype i = 0;
    while (i < name.size()) {
        if (name.at(i) == QChar(27)) {
            // the scan stays here, so a code that follows a removed one directly is removed as well
            name.remove(name.mid(i, 4));
            continue;
        }
        ++i;
    }
    return name;
}

QString removeControlCharacters(QString text)
{
    text.removeIf([](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
    return text;
}

std::optional<StatusReply> parseStatusReply(const QByteArray& datagram)
{
    QByteArray bytes = datagram;
    bytes.replace('\0', '\\');
    const QString text = QString::fromLatin1(bytes);
    auto host = between(text, QLatin1String("hostname\\"), QLatin1String("\\gamename\\"));
    auto map = between(text, QLatin1String("\\mapname\\"), QLatin1String("\\gametype\\"));
    if (!host || !map)
        return std::nullopt;
    if (isOfficialServerName(*host)) {
        host = UnknownText;
        map = UnknownText;
    }
    // colour codes begin with a control character, so they go first
    return StatusReply{trimBlanks(removeControlCharacters(removeColourCodes(*host))), removeControlCharacters(*map)};
}

} // namespace vh::servers
