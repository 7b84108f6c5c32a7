#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <vector>

namespace vh::servers {

class ServerList;

// The Server Info grid: every server whose map is known, in list order, numbered from 0, as it stood when
// the snapshot was taken.
class ServerInfoModel final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ServerInfoModel)

public:
    struct Row
    {
        QString ip;
        QString name;
        QString map;
    };

    explicit ServerInfoModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void takeSnapshot(const ServerList& servers);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Share of the grid's width each column takes, in percent.
    static constexpr int ColumnPercent[4] = {5, 20, 45, 30};

private:
    std::vector<Row> m_rows;
};

} // namespace vh::servers
