#include "servers/ServerInfoModel.h"

#include "servers/ServerList.h"

namespace vh::servers {

void ServerInfoModel::takeSnapshot(const ServerList& servers)
{
    beginResetModel();
    m_rows.clear();
    for (int i = 0; i < servers.ServerCount(); ++i) {
        const ServerEntry& e = servers.at(i);
        if (e.RunningMap.toLower() != QLatin1String("unknown"))
            m_rows.push_back(Row{e.IP, e.ServerName, e.RunningMap});
    }
    endResetModel();
}

int ServerInfoModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ServerInfoModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 4;
}

QVariant ServerInfoModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || std::size_t(index.row()) >= m_rows.size())
        return {};
    if (role == Qt::TextAlignmentRole && index.column() <= 2)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    if (role != Qt::DisplayRole)
        return {};
    const Row& row = m_rows[std::size_t(index.row())];
    switch (index.column()) {
    case 0:
        return QString::number(index.row());
    case 1:
        return row.ip;
    case 2:
        return row.name;
    case 3:
        return row.map;
    default:
        return {};
    }
}

QVariant ServerInfoModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case 0:
        return QStringLiteral("#");
    case 1:
        return QStringLiteral("IP");
    case 2:
        return QStringLiteral("Server Name");
    case 3:
        return QStringLiteral("Running Map");
    default:
        return {};
    }
}

} // namespace vh::servers
