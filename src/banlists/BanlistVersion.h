#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace vh::banlists {

// How much of a published list the version check reads, and where its "[" must stand.
inline constexpr int VersionHeadLength = 255;

// The info text at the head of a published AASA list: the text before the first "[" of its first 255
// characters, without ";", line feeds and carriage returns, blanks trimmed. None when there is no "[".
std::optional<QString> publishedAasaInfo(const QByteArray& body);
// The same for the ACI list: the first line of those 255 characters, unchanged; none when there is no "[".
std::optional<QString> publishedAciInfo(const QByteArray& body);

// The status-bar texts the loaded lists show, which the published info is compared with.
QString aasaInfoPanelText(const QString& info);
QString aciInfoPanelText(const QString& info);

} // namespace vh::banlists
