#pragma once

#include <QMainWindow>

#include <array>

class QLabel;
class QLineEdit;
class QTableView;

namespace vh::app {
class AppCore;
}

namespace vh::gui {

class ServerMenus;
class ServerSelectionPanel;

// The main window: the activity log, the status bar and, as the program grows, the collection and review
// controls. A thin view over the AppCore it is given.
class MainWindow final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    explicit MainWindow(app::AppCore& core, QWidget* parent = nullptr);

    // Runs the start-up order around the screen check; false when the screen is too small (nothing saved).
    bool Startup(const QString& executablePath, const QString& baseFolderOverride, int screenWidth);

    // The hidden field a secondary window writes its completion word into as it closes.
    QLineEdit* completionField() const { return m_text7; }
    ServerSelectionPanel* serverPanel() const { return m_serverPanel; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void layoutStatusBar();

    app::AppCore& m_core;
    QTableView* m_log = nullptr;
    QLineEdit* m_text7 = nullptr;
    std::array<QLabel*, 6> m_panels{};
    ServerSelectionPanel* m_serverPanel = nullptr;
    ServerMenus* m_serverMenus = nullptr;
    bool m_shutDown = false;
};

} // namespace vh::gui
