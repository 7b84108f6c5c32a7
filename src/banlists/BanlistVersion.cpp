#include "banlists/BanlistVersion.h"

#include "base/Blanks.h"

namespace vh::banlists {

using base::trimBlanks;

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
