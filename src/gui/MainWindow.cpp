#include "gui/MainWindow.h"

#include "app/AppCore.h"
#include "gui/frmOptions.h"
#include "platform/EventWait.h"
#include "review/StatusBarLayout.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
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

    m_text7 = new QLineEdit(central);
    m_text7->setObjectName(QStringLiteral("Text7"));
    m_text7->hide();

    setCentralWidget(central);

    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("File"));
    QAction* preferences = file->addAction(QStringLiteral("Preferences"));
    preferences->setObjectName(QStringLiteral("Preferences"));
    connect(preferences, &QAction::triggered, this, &MainWindow::runPreferences);

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

void MainWindow::runPreferences()
{
    m_text7->clear();
    // the window opens with the current values, the downloaded counter included
    m_core.SaveSettings();
    // no parent: a child window would be disabled together with this one
    auto* options = new frmOptions(m_core, m_text7, this);
    options->setAttribute(Qt::WA_DeleteOnClose);
    options->show();
    setEnabled(false);
    platform::waitUntil([this] { return m_text7->text() == frmOptions::CompletionWord; });
    setEnabled(true);
    m_text7->clear();
    m_core.LoadSettings();
    m_core.resizeWorkerPool();
    // the review view clears its pictures, applies DisplayMode and reloads the current entry's picture here
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
