#include "gui/frmServerInfo.h"

#include "servers/ServerInfoModel.h"

#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>

namespace vh::gui {

frmServerInfo::frmServerInfo(const servers::ServerList& servers, QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmServerInfo"));
    setWindowTitle(QStringLiteral("Server Info"));
    m_model = new servers::ServerInfoModel(this);
    m_model->takeSnapshot(servers);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("MSFlexGrid1"));
    m_grid->setModel(m_model);
    m_grid->verticalHeader()->hide();
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_grid);
    resize(720, 480);
}

void frmServerInfo::sizeColumns()
{
    const int width = m_grid->viewport()->width();
    for (int c = 0; c < 4; ++c)
        m_grid->setColumnWidth(c, width * servers::ServerInfoModel::ColumnPercent[c] / 100);
}

void frmServerInfo::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    sizeColumns();
}

void frmServerInfo::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    sizeColumns();
}

} // namespace vh::gui
