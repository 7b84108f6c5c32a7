#pragma once

#include <QObject>
#include <QPointer>

class QMainWindow;
class QLineEdit;
class QMenu;

namespace vh::app {
class AppCore;
}

namespace vh::gui {

class frmServerInfo;

// The main window's server commands: "Manage Providers and IP's" and "Server Info" under Modules, "Download
// Provider Info" under Download.
class ServerMenus final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ServerMenus)

public:
    ServerMenus(app::AppCore& core, QMainWindow& window, QLineEdit* completionField);

    // Opens the Provider-Managment window and keeps the main window disabled until it has closed.
    void openProviders();
    void openServerInfo();
    void downloadProviderInfo();

private:
    QMenu* menu(const char* objectName, const QString& title);

    app::AppCore& m_core;
    QMainWindow& m_window;
    QLineEdit* m_completionField;
    QPointer<frmServerInfo> m_serverInfo;
    bool m_downloading = false;
};

} // namespace vh::gui
