#pragma once

#include <QMainWindow>

#include <functional>

class QAction;
class QLabel;
class QLineEdit;
class QProgressBar;
class QTableView;

namespace vh::app {
class AppCore;
}

namespace vh::review {
class RunSummary;
}

namespace vh::gui {

class CollectionControls;
class HuntModeLauncher;
class ReportCommands;
class ReviewControls;
class StatusBarPanels;
class ServerMenus;
class ServerSelectionPanel;

// The main window: the activity log, the status bar and, as the program grows, the collection and review
// controls. A thin view over the AppCore it is given.
class MainWindow final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    // How the window shows a message box, and how it ends the process; tests put in their own.
    using MessagePresenter = std::function<void(const QString& text)>;
    using ProcessEnder = std::function<void(int exitCode)>;

    explicit MainWindow(app::AppCore& core, QWidget* parent = nullptr);

    void setMessagePresenter(MessagePresenter presenter) { m_showMessage = std::move(presenter); }
    void setProcessEnder(ProcessEnder ender) { m_endProcess = std::move(ender); }

    // Runs the start-up order around the screen check; false when the screen is too small (nothing saved).
    bool Startup(const QString& executablePath, const QString& baseFolderOverride, int screenWidth);

    // The hidden field a secondary window writes its completion word into as it closes.
    QLineEdit* completionField() const { return m_text7; }
    // Status-bar panel 1 to 6.
    QLabel* statusPanel(int number) const;

    // Menu "Preferences": saves the settings, shows the Preferences window and waits with this window disabled
    // until it is closed, then reloads the settings and applies them.
    void runPreferences();
    ServerSelectionPanel* serverPanel() const { return m_serverPanel; }
    CollectionControls* collectionControls() const { return m_collection; }
    ReviewControls* reviewControls() const { return m_review; }
    HuntModeLauncher* huntLauncher() const { return m_huntLauncher; }

    // The size the window opens at: roomy, but never larger than the screen's free area.
    static QSize openingSize(const QSize& available);

Q_SIGNALS:
    // Commands whose windows and files belong to other parts of the program.
    void createReportRequested(int entryIndex);
    void aciUploadRequested(int entryIndex);
    void showHtmlForServerRequested(int serverIndex);
    void huntModeRequested();
    void addGuidToHuntRequested(const QString& guid);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The "Exit" command and the close box: saves everything once and ends the process.
    void runShutDown();
    void showMessage(const QString& text);

    app::AppCore& m_core;
    QTableView* m_log = nullptr;
    QLineEdit* m_text7 = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_downloadStatus = nullptr;
    StatusBarPanels* m_panels = nullptr;
    QAction* m_exit = nullptr;
    MessagePresenter m_showMessage;
    ProcessEnder m_endProcess;
    ServerSelectionPanel* m_serverPanel = nullptr;
    ServerMenus* m_serverMenus = nullptr;
    CollectionControls* m_collection = nullptr;
    ReviewControls* m_review = nullptr;
    review::RunSummary* m_runSummary = nullptr;
    HuntModeLauncher* m_huntLauncher = nullptr;
    ReportCommands* m_reportCommands = nullptr;
    bool m_shutDown = false;
};

} // namespace vh::gui
