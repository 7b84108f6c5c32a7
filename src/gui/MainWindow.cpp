#include "gui/MainWindow.h"

#include "app/AppCore.h"
#include "gui/ServerMenus.h"
#include "gui/ServerSelectionPanel.h"
#include "review/StatusBarLayout.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

namespace vh::gui {

MainWindow::MainWindow(app::AppCore& core, QWidget* parent) : QMainWindow(parent), m_core(core)
{
    setObjectName(QStringLiteral("frmMain"));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);

    m_log = new QTableView(central);
    m_log->setObjectName(QStringLiteral("MSFlex1"));
    m_log->setModel(&m_core.log());
    m_log->horizontalHeader()->hide();
    m_log->verticalHeader()->hide();
    m_log->horizontalHeader()->setStretchLastSection(true);
    m_log->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    m_log->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_log->setSelectionMode(QAbstractItemView::SingleSelection);
    m_log->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_log->setShowGrid(false);
    layout->addWidget(m_log);
    m_serverPanel = new ServerSelectionPanel(m_core.serverDiscovery(), central);
    layout->addWidget(m_serverPanel);

    m_text7 = new QLineEdit(central);
    m_text7->setObjectName(QStringLiteral("Text7"));
    m_text7->hide();

    setCentralWidget(central);

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    for (std::size_t i = 0; i < m_panels.size(); ++i) {
        m_panels[i] = new QLabel(bar);
        m_panels[i]->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i + 1));
        m_panels[i]->setFrameShape(QFrame::StyledPanel);
        bar->addWidget(m_panels[i]);
    }
    setStatusBar(bar);
    connect(&m_core.serverDiscovery(), &servers::ServerDiscovery::statusTextChanged, m_panels[1], &QLabel::setText);
    m_serverMenus = new ServerMenus(m_core, *this, m_text7);
    resize(1100, 760);
}

bool MainWindow::Startup(const QString& executablePath, const QString& baseFolderOverride, int screenWidth)
{
    setWindowTitle(app::AppCore::AppTitle());
    m_core.startupLoad(executablePath, baseFolderOverride);
    if (!app::AppCore::screenIsLargeEnough(screenWidth)) {
        QMessageBox::critical(nullptr, app::AppCore::AppTitle(), app::AppCore::ScreenTooSmallMessage);
        m_shutDown = true; // the process ends before any data is written
        return false;
    }
    show();
    setEnabled(false);
    m_core.startupLoadLists();
    setEnabled(true);
    m_log->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    if (m_core.log().rowCount() > 0)
        m_log->selectRow(0);
    m_core.startupFinish();
    return true;
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    layoutStatusBar();
}

void MainWindow::layoutStatusBar()
{
    std::array<int, 6> widths{};
    if (!review::statusPanelWidths(width(), widths))
        return;
    for (std::size_t i = 0; i < m_panels.size(); ++i)
        m_panels[i]->setFixedWidth(widths[i]);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!m_shutDown) {
        m_shutDown = true;
        m_core.ShutDown();
    }
    event->accept();
}

} // namespace vh::gui
