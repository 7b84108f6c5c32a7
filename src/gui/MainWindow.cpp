#include "gui/MainWindow.h"

#include "app/AppCore.h"
#include "gui/CollectionControls.h"
#include "gui/HuntModeLauncher.h"
#include "gui/frmHuntMode.h"
#include "gui/PictureBox.h"
#include "gui/ReportCommands.h"
#include "gui/ReviewControls.h"
#include "gui/ServerMenus.h"
#include "gui/ServerSelectionPanel.h"
#include "gui/StatusBarPanels.h"
#include "gui/frmOptions.h"
#include "platform/EventWait.h"
#include "review/ReviewSession.h"
#include "review/RunSummary.h"
#include "review/StatusBarLayout.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QSplitter>
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
    // the current row is only framed, never highlighted, so a line's colour stays visible
    m_log->setSelectionMode(QAbstractItemView::NoSelection);
    m_log->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_log->setShowGrid(false);
    connect(&m_core.log(), &QAbstractItemModel::rowsInserted, m_log,
            [this] { m_log->setCurrentIndex(m_core.log().index(0)); });
    m_serverPanel = new ServerSelectionPanel(m_core.serverDiscovery(), central);

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

    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("File"));
    QAction* preferences = file->addAction(QStringLiteral("Preferences"));
    preferences->setObjectName(QStringLiteral("Preferences"));
    connect(preferences, &QAction::triggered, this, &MainWindow::runPreferences);
    m_exit = file->addAction(QStringLiteral("Exit"));
    m_exit->setObjectName(QStringLiteral("Exit"));
    connect(m_exit, &QAction::triggered, this, &MainWindow::runShutDown);

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    m_panels = new StatusBarPanels(bar);
    bar->addWidget(m_panels, 1);
    setStatusBar(bar);
    // panels 3 to 6 show the banlists' counts and info texts
    connect(&m_core.banlists(), &banlists::Banlists::panelTextChanged, this, [this](int panel, const QString& text) {
        if (panel >= 1 && panel <= StatusBarPanels::PanelCount)
            m_panels->panel(panel)->setText(text);
    });

    m_showMessage = [this](const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, app::AppCore::AppTitle(), text, QMessageBox::Ok, this);
        box.exec();
    };
    m_endProcess = [](int exitCode) { QCoreApplication::exit(exitCode); };
    connect(&m_core.serverDiscovery(), &servers::ServerDiscovery::statusTextChanged, statusPanel(2), &QLabel::setText);
    m_serverMenus = new ServerMenus(m_core, *this, m_text7);
    // after the server menus: the collection controls add to their Download menu
    m_collection = new CollectionControls(m_core, *this, *m_serverPanel, central);
    // after both: the review adds to their menus
    m_review = new ReviewControls(m_core, *this, *m_serverPanel, *m_collection);
    connect(&m_review->session(), &review::ReviewSession::downloadedTextChanged, statusPanel(1), &QLabel::setText);
    connect(m_review, &ReviewControls::createReportRequested, this, &MainWindow::createReportRequested);
    connect(m_review, &ReviewControls::aciUploadRequested, this, &MainWindow::aciUploadRequested);
    connect(m_review, &ReviewControls::showHtmlForServerRequested, this, &MainWindow::showHtmlForServerRequested);
    connect(m_review, &ReviewControls::huntModeRequested, this, &MainWindow::huntModeRequested);
    connect(m_review, &ReviewControls::addGuidToHuntRequested, this, &MainWindow::addGuidToHuntRequested);
    m_huntLauncher = new HuntModeLauncher(m_core, *this, m_text7, this);
    connect(this, &MainWindow::huntModeRequested, m_huntLauncher, &HuntModeLauncher::open);
    connect(this, &MainWindow::addGuidToHuntRequested, m_huntLauncher, &HuntModeLauncher::addGuid);
    m_reportCommands = new ReportCommands(this, m_core);
    connect(this, &MainWindow::createReportRequested, m_reportCommands, &ReportCommands::createReport);
    connect(this, &MainWindow::aciUploadRequested, m_reportCommands, &ReportCommands::uploadToAci);
    connect(this, &MainWindow::showHtmlForServerRequested, m_reportCommands, &ReportCommands::showHtmlForServer);

    m_runSummary = new review::RunSummary(m_core.database(), m_core.log(), this);
    connect(&m_core.entryStore(), &database::EntryStore::entryAdded, m_runSummary, &review::RunSummary::entryAdded);
    connect(&m_core.inventory(), &collect::Inventory::runningChanged, m_runSummary, [this](bool running) {
        if (running)
            m_runSummary->runStarted();
        else
            m_runSummary->runEnded(m_core.inventory().serversVisited());
    });

    // the picture is the centre; details, server lists and the log share the right-hand column
    auto* lower = new QWidget(central);
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addWidget(m_serverPanel, 1);
    lowerLayout->addWidget(m_collection);
    auto* right = new QSplitter(Qt::Vertical, central);
    right->setObjectName(QStringLiteral("RightColumn"));
    right->setChildrenCollapsible(false);
    right->addWidget(m_review->detailsColumn());
    right->addWidget(lower);
    right->addWidget(m_log);
    right->setStretchFactor(0, 0);
    right->setStretchFactor(1, 2);
    right->setStretchFactor(2, 1);
    auto* split = new QSplitter(Qt::Horizontal, central);
    split->setObjectName(QStringLiteral("ReviewSplitter"));
    split->setChildrenCollapsible(false);
    split->addWidget(m_review->pictureColumn());
    split->addWidget(right);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    // a 660-pixel screenshot fits whole beside the details at 1280 pixels; the split keeps this ratio
    split->setSizes({700, 460});
    layout->insertWidget(0, split, 1);
    m_log->setMinimumHeight(m_log->verticalHeader()->defaultSectionSize() * 3);

    const QScreen* screen = QGuiApplication::primaryScreen();
    resize(openingSize(screen ? screen->availableGeometry().size() : QSize(1280, 800)));
}

QSize MainWindow::openingSize(const QSize& available)
{
    // room for the window frame, which the available area does not count
    return {std::min(1180, available.width() - 16), std::min(780, available.height() - 40)};
}

QLabel* MainWindow::statusPanel(int number) const
{
    return m_panels->panel(number);
}

void MainWindow::showMessage(const QString& text)
{
    m_showMessage(text);
}

bool MainWindow::Startup(const QString& executablePath, const QString& baseFolderOverride, int screenWidth)
{
    setWindowTitle(app::AppCore::AppTitle());
    m_core.startupLoad(executablePath, baseFolderOverride);
    if (!app::AppCore::screenIsLargeEnough(screenWidth)) {
        showMessage(app::AppCore::ScreenTooSmallMessage);
        m_shutDown = true; // the process ends before any data is written
        return false;
    }
    show();
    setEnabled(false);
    m_core.startupLoadLists();
    setEnabled(true);
    // the display mode comes from the settings loaded above
    m_review->applyDisplayMode();
    m_review->session().ShowCurrentEntry();
    m_review->picture()->setFocus();
    m_log->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    if (m_core.log().rowCount() > 0)
        m_log->setCurrentIndex(m_core.log().index(0));
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
    platform::waitForSignal(options, &frmOptions::finished);
    setEnabled(true);
    m_text7->clear();
    m_core.LoadSettings();
    m_core.resizeWorkerPool();
    m_review->applyDisplayMode();
}

void MainWindow::runShutDown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_core.ShutDown();
    m_endProcess(0);
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    runShutDown();
    event->accept();
}

} // namespace vh::gui
