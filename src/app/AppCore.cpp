#include "app/AppCore.h"

#include "base/Paths.h"
#include "platform/ImageLibrary.h"

#include <QDir>

namespace vh::app {

const QString AppCore::ScreenTooSmallMessage =
    QStringLiteral("Sorry, Varnholt will only start in resolutions higher then 800x600");

AppCore::AppCore(QObject* parent)
    : QObject(parent), m_log(m_settings), m_entryStore(m_database, m_settings, m_log, m_flags, m_workspace),
      m_vault(m_database, m_log, m_workspace)
{
    m_startupTimer.setSingleShot(true);
    connect(&m_startupTimer, &QTimer::timeout, this, &AppCore::onStartupTimer);
    connect(&m_discoveryTimer, &QTimer::timeout, this, &AppCore::onDiscoveryTick);
    connect(&m_banlistTimer, &QTimer::timeout, this, &AppCore::onBanlistTick);
    m_intake.setAddEntry([this](int slot) { m_entryStore.AddEntry(slot); });
    m_pool.setIntakeHandler([this](int w, const QString& file, const collect::PageEntry& e) {
        m_intake.submit(w, collect::DownloadedShot{e.BaseURL, e.IndexText, e.ShotTime, file});
    });
    m_pool.setIntakeLoad([this] { return m_intake.saturated(); }, [this] { return m_intake.pending() == 0; });
    m_entryStore.setColourCodeCheck([this](int slot) { m_detection.ColourCodeCheck(slot); });
    // the entries of every finished visit reach the file at once; the vault files they name are already there
    connect(&m_inventory, &collect::Inventory::visitEnded, this, [this] { m_entryStore.SaveDatabaseIfChanged(); });
    connect(&m_entryStore, &database::EntryStore::entryAdded, &m_alerts, &gallery::AlertSender::entryAdded);
    m_aasaReport.setVersionChecks([this] { m_banlistUpdate.CheckAASAbanlistversion(); },
                                  [this] { m_banlistUpdate.CheckACIbanlistversion(); });
    m_entryStore.setReportCreator([this](int n) { m_aasaReport.CreateAasaReport(n); });
    m_pool.setPageProgressGate(
        [this] { return m_banlistUpdate.AasaBanlistDownloading || m_banlistUpdate.AciBanlistDownloading; });
    m_hunt.setCollectStep([this](int count) { return m_visit.CollectPbSS(count); });
}

AppCore::~AppCore() = default;

QString AppCore::AppTitle()
{
    return QStringLiteral("Varnholt %1.%2.%3")
        .arg(VARNHOLT_VERSION_MAJOR)
        .arg(VARNHOLT_VERSION_MINOR)
        .arg(VARNHOLT_VERSION_PATCH);
}

void AppCore::logAll(const QStringList& lines, base::Colour colour)
{
    for (const QString& line : lines)
        Log(line, colour);
}

void AppCore::startupLoad(const QString& executablePath, const QString& baseFolderOverride)
{
    m_flags.BanlistUpdateDue = false;
    m_pool.setStatusText(QString());
    m_pool.freeWorkerSlots(0, 20);
    m_workspace.setBaseFolder(base::Workspace::resolveBaseFolder(executablePath, baseFolderOverride));
    CheckImageLibrary();
    // said first, before each file that cannot be read; and no folders appear beside an installed executable
    const bool workspace = m_workspace.hasDataFolder();
    if (!workspace)
        Log(base::Workspace::missingDataMessage(m_workspace.BaseFolder()), base::Colours::Red);
    logAll(m_links.LoadLinks(path(base::Paths::LinksFile)));
    if (workspace)
        CreateWorkspace();
    Log(QStringLiteral("Application started from ") + QDir::toNativeSeparators(m_workspace.BaseFolder()));
    m_flags.SkipRequested = false;
    m_flags.StopRequested = 1;
    m_suspiciousColors.LoadSuspiciousColors();
    logAll(m_glyphTable.LoadGlyphTable());
    m_entryStore.LoadDatabase();
    LoadSettings();
    resizeWorkerPool();
    for (int i = 30; i >= 1; --i)
        LogVerbose(QStringLiteral("Setting%1 = %2").arg(i).arg(m_settings.slot(i - 1)));
}

void AppCore::loadForEntryCommand(const QString& baseFolder)
{
    m_workspace.setBaseFolder(baseFolder);
    logAll(m_links.LoadLinks(path(base::Paths::LinksFile)));
    LoadSettings();
    m_banlists.LoadAasaBanlist();
    m_banlists.LoadAciBanlist();
}

void AppCore::startupLoadLists()
{
    m_banlists.LoadAasaBanlist();
    m_banlists.LoadAciBanlist();
    m_serverDiscovery.LoadIpRanges();
    m_serverDiscovery.LoadServers();
    m_serverDiscovery.FillServerSelection();
    m_vault.PurgeMissingPng();
    m_vault.MoveOrphanedFiles();
}

void AppCore::startupFinish()
{
    m_workspace.deleteLeftovers();
    applyDiscoveryTimer();
    m_startupTimer.start(500);
    m_banlistTimer.start(60000);
}

bool AppCore::ShutDown()
{
    // the screenshots under analysis become entries before the database is written
    m_intake.waitForAnalyses();
    bool saved = m_entryStore.SaveDatabase();
    saved = SaveSettings() && saved;
    if (m_settings.isOn(base::Setting::LogOnClose)) {
        // a log file that cannot be written stops nothing else of the shutdown
        const base::Problems problems = m_log.writeLogFile(path(base::Paths::LogFile));
        logAll(problems);
        saved = problems.isEmpty() && saved;
    }
    saved = m_serverDiscovery.SaveServers() && saved;
    m_discoveryTimer.stop();
    m_startupTimer.stop();
    m_banlistTimer.stop();
    return saved;
}

void AppCore::LoadSettings()
{
    logAll(m_settings.LoadSettings(path(base::Paths::SettingsFile)));
    Q_EMIT settingsLoaded();
}

bool AppCore::SaveSettings()
{
    const QStringList problems = m_settings.SaveSettings(path(base::Paths::SettingsFile));
    logAll(problems);
    return problems.isEmpty();
}

void AppCore::applyDiscoveryTimer()
{
    if (m_settings.isOn(base::Setting::ServerDiscovery)) {
        m_discoveryTimer.start(1000);
    } else {
        m_discoveryTimer.stop();
    }
}

void AppCore::resizeWorkerPool()
{
    m_pool.setThreads(m_settings.number(base::Setting::Threads, 1));
}

void AppCore::CheckImageLibrary()
{
    if (platform::registerImageLibrary(m_workspace.BaseFolder()))
        Log(QStringLiteral("Reference to ") + QDir::toNativeSeparators(path(QStringLiteral("paintx.dll"))) +
            QStringLiteral(" was added"));
}

void AppCore::CreateWorkspace()
{
    for (const QString& folder : m_workspace.createFolders())
        Log(QStringLiteral("Problems in Creating Workspace, error:") + folder);
    // missing banlists are fetched here, AASA first, before anything else is loaded
    m_banlistUpdate.fetchMissingBanlists();
}

void AppCore::onStartupTimer()
{
    Q_EMIT startupChecksRunning(true);
    m_serverDiscovery.InitGslist();
    if (m_settings.isOn(base::Setting::EnsureAasaBanlist))
        m_banlistUpdate.CheckAASAbanlistversion();
    if (m_settings.isOn(base::Setting::EnsureAciBanlist))
        m_banlistUpdate.CheckACIbanlistversion();
    if (m_settings.isOn(base::Setting::UseGameSpy))
        m_serverDiscovery.QueryGameSpyServerList();
    Q_EMIT startupChecksRunning(false);
}

void AppCore::onDiscoveryTick()
{
    m_serverDiscovery.statusQuery().SendStatusQuery();
}

void AppCore::onBanlistTick()
{
    if (m_banlistSchedule.tick(m_settings))
        m_flags.BanlistUpdateDue = true;
}

} // namespace vh::app
