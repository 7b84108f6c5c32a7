#pragma once

#include <QWidget>

class QTableView;

namespace vh::servers {
class ServerInfoModel;
class ServerList;
} // namespace vh::servers

namespace vh::gui {

// The Server Info window: the servers of known map as they stood when it opened; it does not refresh.
class frmServerInfo final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmServerInfo)

public:
    explicit frmServerInfo(const servers::ServerList& servers, QWidget* parent = nullptr);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void sizeColumns();

    servers::ServerInfoModel* m_model = nullptr;
    QTableView* m_grid = nullptr;
};

} // namespace vh::gui
