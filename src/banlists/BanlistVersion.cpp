#include "banlists/BanlistVersion.h"

namespace vh::banlists {

namespace {

// Blanks only, as the lists' own trimming does; tabs and other white space stay part of the text.
QString trimBlanks(const QString& s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && s.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && s.at(end - 1) == QLatin1Char(' '))
        --end;
    return s.mid(begin, end - begin);
}

} // namespace

std::optional<QString> publishedAasaInfo(const QByteArray& body)
{
    const QByteArray head = body.left(VersionHeadLength);
    const qsizetype bracket = head.indexOf('[');
    if (bracket < 0)
        return std::nullopt;
    QByteArray info = head.left(bracket);
    info.replace(';', QByteArray()).replace('\n', QByteArray()).replace('\r', QByteArray());
    return trimBlanks(QString::fromLatin1(info));
}

std::optional<QString> publishedAciInfo(const QByteArray& body)
{
    const QByteArray head = body.left(VersionHeadLength);
    if (!head.contains('['))
        return std::nullopt;
    const qsizetype lineFeed = head.indexOf('\n');
    return QString::fromLatin1(lineFeed < 0 ? head : head.left(lineFeed));
}

QString aasaInfoPanelText(const QString& info)
{
    return QStringLiteral("AASA Info: ") + info;
}

QString aciInfoPanelText(const QString& info)
{
    return QStringLiteral("ACI Info: ") + info;
}

} // namespace vh::banlists
