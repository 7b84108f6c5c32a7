#include "database/PlayerSearch.h"

#include "database/Database.h"

#include <cstring>
#include <string_view>

namespace vh::database {

namespace {

// The slow paths, for a text longer than its search-key field
bool equalsIgnoringCase(const QByteArray& text, std::string_view lowerNeedle)
{
    if (text.size() != qsizetype(lowerNeedle.size()))
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (Latin1Lower[static_cast<unsigned char>(text[i])] != static_cast<unsigned char>(lowerNeedle[std::size_t(i)]))
            return false;
    }
    return true;
}

bool containsIgnoringCase(const QByteArray& text, std::string_view lowerNeedle)
{
    const auto n = qsizetype(lowerNeedle.size());
    for (qsizetype start = 0; start + n <= text.size(); ++start) {
        qsizetype k = 0;
        while (k < n && Latin1Lower[static_cast<unsigned char>(text[start + k])] ==
                            static_cast<unsigned char>(lowerNeedle[std::size_t(k)]))
            ++k;
        if (k == n)
            return true;
    }
    return false;
}

} // namespace

SearchResult searchPlayers(const Database& db, const QString& text)
{
    SearchResult result;
    QByteArray folded = text.trimmed().toLatin1();
    if (folded.isEmpty())
        return result;
    for (char& c : folded)
        c = static_cast<char>(Latin1Lower[static_cast<unsigned char>(c)]);
    const std::string_view needle(folded.constData(), std::size_t(folded.size()));
    const auto size = needle.size();
    for (int i = 1; i <= db.EntryCount(); ++i) {
        const SearchKey& k = db.searchKey(i);
        const bool guid = k.guidLength == SearchKey::Long
                              ? equalsIgnoringCase(db.entry(i).GUID, needle)
                              : k.guidLength == size && std::memcmp(k.guid, needle.data(), size) == 0;
        if (!guid) {
            const bool name = k.nameLength == SearchKey::Long
                                  ? containsIgnoringCase(db.entry(i).PlayerName, needle)
                                  : k.nameLength >= size &&
                                        std::string_view(k.name, k.nameLength).find(needle) != std::string_view::npos;
            if (!name)
                continue;
        }
        result.entries << i;
        if (!guid)
            continue;
        result.byGuid = true;
        const QByteArray& player = db.entry(i).PlayerName;
        if (!result.namesOfGuid.contains(player))
            result.namesOfGuid << QByteArray(player.constData(), player.size());
    }
    return result;
}

PlayerSearchModel::PlayerSearchModel(const Database& db, QObject* parent) : QAbstractTableModel(parent), m_db(db) {}

void PlayerSearchModel::search(const QString& text)
{
    beginResetModel();
    m_result = searchPlayers(m_db, text);
    endResetModel();
}

int PlayerSearchModel::entryAt(int row) const
{
    if (row < 0 || row >= m_result.entries.size())
        return 0;
    const int entry = m_result.entries.at(row);
    // the table may have shrunk since the search
    return entry <= m_db.EntryCount() ? entry : 0;
}

QString PlayerSearchModel::namesText() const
{
    if (!m_result.byGuid)
        return QString();
    QStringList names;
    for (const QByteArray& name : m_result.namesOfGuid)
        names << QString::fromLatin1(name);
    return QStringLiteral("Names used by this GUID: ") + names.join(QStringLiteral(", "));
}

int PlayerSearchModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_result.entries.size());
}

int PlayerSearchModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PlayerSearchModel::data(const QModelIndex& index, int role) const
{
    const int entry = entryAt(index.row());
    if (entry == 0 || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return QVariant();
    const ScreenshotEntry& e = m_db.entry(entry);
    switch (index.column()) {
    case EntryColumn:
        return entry;
    case DateColumn:
        return QString::fromLatin1(e.ShotTime);
    case ServerColumn:
        return QString::fromLatin1(e.ServerName);
    case PlayerColumn:
        return QString::fromLatin1(e.PlayerName);
    case MarkedColumn:
        return e.Cheating ? QStringLiteral("marked") : QString();
    default:
        return QVariant();
    }
}

QVariant PlayerSearchModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const titles[ColumnCount] = {"Entry", "Date", "Server", "Player", "Cheating"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(titles[section]) : QVariant();
}

} // namespace vh::database
