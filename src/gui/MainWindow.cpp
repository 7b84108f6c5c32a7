#include "gui/MainWindow.h"

#include "app/AppCore.h"
#include "review/StatusBarLayout.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

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

    auto* progressRow = new QHBoxLayout;
    m_progress = new QProgressBar(central);
    m_progress->setObjectName(QStringLiteral("prgBAR"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_downloadStatus = new QLabel(central);
    m_downloadStatus->setObjectName(QStringLiteral("Label7"));
    progressRow->addWidget(m_progress, 1);
    progressRow->addWidget(m_downloadStatus);
    layout->addLayout(progressRow);
    connect(&m_core.pool(), &collect::DownloadPool::progressChanged, this, [this](int value, int maximum) {
        m_progress->setRange(0, std::max(maximum, 0));
        m_progress->setValue(std::clamp(value, 0, std::max(maximum, 0)));
    });
    connect(&m_core.pool(), &collect::DownloadPool::statusTextChanged, m_downloadStatus, &QLabel::setText);

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
    // panels 3 to 6 show the banlists' counts and info texts
    connect(&m_core.banlists(), &banlists::Banlists::panelTextChanged, this, [this](int panel, const QString& text) {
        if (panel >= 1 && panel <= int(m_panels.size()))
            m_panels[std::size_t(panel - 1)]->setText(text);
    });
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
