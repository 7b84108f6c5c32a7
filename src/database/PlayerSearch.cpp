#include "database/PlayerSearch.h"

#include "database/Database.h"

#include <array>

namespace vh::database {

namespace {

// Latin-1 lower case, one byte per character like the stored text
const std::array<unsigned char, 256>& lowerTable()
{
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int c = 0; c < 256; ++c) {
            const bool upper = (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
            t[std::size_t(c)] = static_cast<unsigned char>(upper ? c + 32 : c);
        }
        return t;
    }();
    return table;
}

bool equalsIgnoringCase(const QByteArray& text, const QByteArray& lowerNeedle)
{
    if (text.size() != lowerNeedle.size())
        return false;
    const auto& lower = lowerTable();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (lower[static_cast<unsigned char>(text[i])] != static_cast<unsigned char>(lowerNeedle[i]))
            return false;
    }
    return true;
}

bool containsIgnoringCase(const QByteArray& text, const QByteArray& lowerNeedle)
{
    const qsizetype n = lowerNeedle.size();
    const qsizetype last = text.size() - n;
    const auto& lower = lowerTable();
    const auto first = static_cast<unsigned char>(lowerNeedle[0]);
    for (qsizetype start = 0; start <= last; ++start) {
        if (lower[static_cast<unsigned char>(text[start])] != first)
            continue;
        qsizetype k = 1;
        while (k < n &&
               lower[static_cast<unsigned char>(text[start + k])] == static_cast<unsigned char>(lowerNeedle[k]))
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
    QByteArray needle = text.trimmed().toLatin1();
    if (needle.isEmpty())
        return result;
    const auto& lower = lowerTable();
    for (char& c : needle)
        c = static_cast<char>(lower[static_cast<unsigned char>(c)]);
    for (int i = 1; i <= db.EntryCount(); ++i) {
        const ScreenshotEntry& e = db.entry(i);
        const bool guid = equalsIgnoringCase(e.GUID, needle);
        if (!guid && !containsIgnoringCase(e.PlayerName, needle))
            continue;
        result.entries << i;
        if (!guid)
            continue;
        result.byGuid = true;
        if (!result.namesOfGuid.contains(e.PlayerName))
            result.namesOfGuid << QByteArray(e.PlayerName.constData(), e.PlayerName.size());
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
