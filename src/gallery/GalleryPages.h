#pragma once

#include <QByteArray>
#include <QJsonObject>

namespace vh::database {
class Database;
}
namespace vh::banlists {
class Banlists;
}

namespace vh::gallery {

struct EntryFilter;
class EntryIndex;
struct EntryPage;

// The gallery's HTML pages and JSON entries. Every value from the database goes through htmlEscape, since
// player names, server names and index lines come from remote servers and images. The page's own script and
// style carry the nonce the response's Content-Security-Policy allows.
namespace GalleryPages {

inline constexpr int NeutralGamma = 10;
inline constexpr int MinGamma = 1;
inline constexpr int MaxGamma = 19;

QByteArray listPage(const database::Database& db, const banlists::Banlists& bans, const EntryFilter& filter,
                    const EntryPage& page, const QByteArray& nonce);
// png: the entry's picture file (for its hashes; empty when missing). gamma: the slider's first position.
QByteArray entryPage(const database::Database& db, const EntryIndex& index, const banlists::Banlists& bans, int n,
                     const QByteArray& png, bool pngFound, int gamma, const QByteArray& nonce);
QByteArray errorPage(int status, const QString& message);

// The entry's number and its fourteen members under their names.
QJsonObject entryJson(const database::Database& db, int n);

} // namespace GalleryPages

} // namespace vh::gallery
