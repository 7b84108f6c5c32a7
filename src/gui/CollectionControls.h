#pragma once

#include <QWidget>

class QAction;
class QMainWindow;
class QMenu;
class QPushButton;

namespace vh::app {
class AppCore;
}

namespace vh::gui {

class ServerSelectionPanel;

// The main window's collection controls: the pop-up menu MnuTop of the server selection list with the three
// inventory commands, the buttons Skip Server (Command3) and Cancel Inventory (Command12), the banlist
// download command of the Download menu, and the lock of the window's controls during runs and fetches.
class CollectionControls final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CollectionControls)

public:
    // The window's menu bar and server panel must exist already; the widget is the row of the two buttons.
    CollectionControls(app::AppCore& core, QMainWindow& window, ServerSelectionPanel& servers,
                       QWidget* parent = nullptr);
    ~CollectionControls() override;

    QMenu* serverMenu() const { return m_menu; }
    QPushButton* skipButton() const { return m_skip; }
    QPushButton* cancelButton() const { return m_cancel; }

    // DisableAllButtons / EnableAllButtons.
    void DisableAllButtons();
    void EnableAllButtons();
    // The enable rules of the pop-up menu, applied before it opens.
    void updateMenu();

private:
    QList<QWidget*> lockedWidgets() const;
    void applyLock(bool locked);
    void syncListSelection(int item);

    app::AppCore& m_core;
    QMainWindow& m_window;
    ServerSelectionPanel& m_servers;
    QMenu* m_menu = nullptr;
    QAction* m_inventoryAll = nullptr;
    QAction* m_inventorySelected = nullptr;
    QAction* m_inventoryRandom = nullptr;
    QAction* m_downloadBanlists = nullptr;
    QPushButton* m_skip = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_listEnabled = true;
    bool m_locked = false;
};

} // namespace vh::gui
