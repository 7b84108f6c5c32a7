#include "servers/ServerSelectionModel.h"

namespace vh::servers {

void ServerSelectionModel::setItems(std::vector<SelectionItem> items)
{
    beginResetModel();
    m_items = std::move(items);
    endResetModel();
}

int ServerSelectionModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant ServerSelectionModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || std::size_t(index.row()) >= m_items.size())
        return {};
    const SelectionItem& item = m_items[std::size_t(index.row())];
    if (role == Qt::DisplayRole)
        return item.name;
    if (role == ServerIndexRole)
        return item.server;
    return {};
}

} // namespace vh::servers
