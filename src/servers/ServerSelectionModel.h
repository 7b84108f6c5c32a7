#pragma once

#include "servers/ServerSelection.h"

#include <QAbstractListModel>

namespace vh::servers {

// The server selection list: each row shows a server's name; ServerIndexRole gives its slot.
class ServerSelectionModel final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ServerSelectionModel)

public:
    static constexpr int ServerIndexRole = Qt::UserRole;

    explicit ServerSelectionModel(QObject* parent = nullptr) : QAbstractListModel(parent) {}

    void setItems(std::vector<SelectionItem> items);
    const std::vector<SelectionItem>& items() const { return m_items; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    std::vector<SelectionItem> m_items;
};

} // namespace vh::servers
