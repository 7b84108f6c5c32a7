#include "gui/ServerMenus.h"

#include "app/AppCore.h"
#include "gui/frmProvider.h"
#include "gui/frmServerInfo.h"
#include "platform/EventWait.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace vh::gui {

ServerMenus::ServerMenus(app::AppCore& core, QMainWindow& window, QLineEdit* completionField)
    : QObject(&window), m_core(core), m_window(window), m_completionField(completionField)
{
    QMenu* modules = menu("Xmodules", QStringLiteral("Modules"));
    QAction* providers = modules->addAction(QStringLiteral("Manage Providers and IP's"));
    providers->setObjectName(QStringLiteral("fProviders"));
    QAction* info = modules->addAction(QStringLiteral("Server Info"));
    info->setObjectName(QStringLiteral("mnuServerInfo"));
    QMenu* download = menu("Download", QStringLiteral("Download"));
    QAction* providerInfo = download->addAction(QStringLiteral("Download Provider Info"));
    providerInfo->setObjectName(QStringLiteral("fDownloadIP"));

    connect(providers, &QAction::triggered, this, &ServerMenus::openProviders);
    connect(info, &QAction::triggered, this, &ServerMenus::openServerInfo);
    connect(providerInfo, &QAction::triggered, this, &ServerMenus::downloadProviderInfo);
}

QMenu* ServerMenus::menu(const char* objectName, const QString& title)
{
    // other parts of the window add their commands to the same bar menus
    const QString name = QLatin1String(objectName);
    if (auto* existing = m_window.menuBar()->findChild<QMenu*>(name, Qt::FindDirectChildrenOnly))
        return existing;
    QMenu* created = m_window.menuBar()->addMenu(title);
    created->setObjectName(name);
    return created;
}

void ServerMenus::openProviders()
{
    m_completionField->clear();
    // no parent: a child window would be disabled along with the main window
    auto* window = new frmProvider(m_core, m_completionField);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    m_window.setEnabled(false);
    platform::waitForSignal(window, &frmProvider::finished);
    m_window.setEnabled(true);
    m_completionField->clear();
}

void ServerMenus::openServerInfo()
{
    if (!m_serverInfo) {
        m_serverInfo = new frmServerInfo(m_core.serverDiscovery().servers(), &m_window);
        m_serverInfo->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_serverInfo->show();
    m_serverInfo->raise();
}

void ServerMenus::downloadProviderInfo()
{
    // the download waits with events running, so the command could otherwise start a second one meanwhile
    if (m_downloading)
        return;
    m_downloading = true;
    m_core.serverDiscovery().DownloadProviderInfo(m_core.links().ProviderInfoUrl);
    m_downloading = false;
}

} // namespace vh::gui
