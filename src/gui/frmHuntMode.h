#pragma once

#include "hunt/PreyList.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace vh::app {
class AppCore;
}

namespace vh::gui {

// The Hunt Mode window: the prey list with its commands, the Beta-Menu, the hunt's buttons, its log, one
// progress bar per hunt worker and two status panels. It owns the prey list while open: loaded from
// data/Pray.dat when it opens, saved when it closes, and then "huntdone" goes into the main window's
// completion field.
class frmHuntMode final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmHuntMode)

public:
    static inline const QString CompletionWord = QStringLiteral("huntdone");

    // How the window asks and tells; tests put in their own.
    struct Dialogs
    {
        std::function<std::optional<QString>()> askPrey; // nothing when cancelled
        std::function<QString()> chooseImportFile;       // empty when cancelled
        std::function<void(const QString&)> showMessage;
    };

    frmHuntMode(app::AppCore& core, QLineEdit* completionField, QWidget* parent = nullptr);

    void setDialogs(Dialogs dialogs) { m_dialogs = std::move(dialogs); }
    // The file whose presence shows the Beta-Menu: "c:\beta.txt" on Windows, elsewhere
    // "varnholt-beta.txt" in the user's home folder.
    static QString betaMarkerPath();
    const hunt::PreyList& preyList() const { return m_prey; }

    void HMDisableButtons();
    void HMEnableButtons();

    // Closing during a hunt stops it; the window closes when the pass has finished.
    void done(int result) override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void refreshPreyList();
    void addPray();
    void removePray();
    void clearPray();
    void importPray();
    void replaceWithTrollbait();
    void addAci();
    void startHunting();
    void showMessage(const QString& text);

    app::AppCore& m_core;
    QLineEdit* m_completionField;
    Dialogs m_dialogs;
    hunt::PreyList m_prey;
    QListWidget* m_prayList = nullptr;
    QListView* m_huntLog = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_import = nullptr;
    QPushButton* m_hunt = nullptr;
    QPushButton* m_stop = nullptr;
    QCheckBox* m_loop = nullptr;
    QCheckBox* m_addBanned = nullptr;
    QGroupBox* m_beta = nullptr;
    std::vector<QProgressBar*> m_bars;
    QLabel* m_panel1 = nullptr;
    QLabel* m_panel2 = nullptr;
    bool m_closeAfterHunt = false;
    bool m_closed = false;
};

} // namespace vh::gui
