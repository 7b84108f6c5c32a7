#pragma once

#include <QObject>

class QWidget;

namespace vh::app {
class AppCore;
}

namespace vh::gui {

// The review window's reporting commands: "Create Report for AASA on Player", the "ACI" button and "Show
// HTML for Server". It also shows the responsibility warning of every report, the automatic ones included.
class ReportCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReportCommands)

public:
    // parent owns the message boxes; the object lives as long as parent.
    ReportCommands(QWidget* parent, app::AppCore& core);

public Q_SLOTS:
    // Both banlist version checks, then the report of entry i (1-based), opened in the browser.
    void createReport(int entryIndex);
    // Sends entry i's screenshot to the ACI verification page.
    void uploadToAci(int entryIndex);
    // Opens the index page of server i (0-based, as in the server table) in the browser.
    void showHtmlForServer(int serverIndex);

private:
    QWidget* m_window;
    app::AppCore& m_core;
};

} // namespace vh::gui
