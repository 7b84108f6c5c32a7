#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QList>
#include <QString>

namespace vh::database {

class Database;

// What a player search found: the entries, oldest first, and, when the text is a GUID of the table, every
// name that GUID played under (first use first).
struct SearchResult
{
    QList<int> entries;
    bool byGuid = false;
    QList<QByteArray> namesOfGuid;
};

// Entries whose GUID equals the text or whose player name contains it, both without regard to letter case.
// Blanks around the text are ignored; an empty text finds nothing.
SearchResult searchPlayers(const Database& db, const QString& text);

// The search as a table: entry number, date, server, player name, and whether the entry is marked.
class PlayerSearchModel final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PlayerSearchModel)

public:
    enum Column
    {
        EntryColumn,
        DateColumn,
        ServerColumn,
        PlayerColumn,
        MarkedColumn,
        ColumnCount
    };

    explicit PlayerSearchModel(const Database& db, QObject* parent = nullptr);

    void search(const QString& text);
    const SearchResult& result() const { return m_result; }
    // The entry number of a row, 0 when the row is out of range.
    int entryAt(int row) const;
    // "Names used by this GUID: a, b", empty when the search was not for a GUID.
    QString namesText() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const Database& m_db;
    SearchResult m_result;
};

} // namespace vh::database
