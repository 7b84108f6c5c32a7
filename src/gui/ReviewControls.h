#pragma once

#include "review/ReviewSession.h"

#include <QObject>

#include <array>

class QAction;
class QCheckBox;
class QLabel;
class QMainWindow;
class QMenu;
class QPushButton;
class QScrollArea;
class QSlider;
class QWidget;

namespace vh::app {
class AppCore;
}

namespace vh::gui {

class CollectionControls;
class FieldBox;
class PictureBox;
class PlayerSearchDialog;
class ServerSelectionPanel;

// The viewing side of the main window: the picture column (view, gamma slider, entry slider, jumps) and the
// details column (fields, cheating box, ban status, entry buttons), their pop-up menus, the Review menu with
// the keyboard commands, and the player search. A view over the ReviewSession; commands that belong to other
// windows (report, ACI upload, Hunt Mode, browser) leave as signals.
class ReviewControls final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReviewControls)

public:
    ReviewControls(app::AppCore& core, QMainWindow& window, ServerSelectionPanel& servers,
                   CollectionControls& collection);
    ~ReviewControls() override;

    review::ReviewSession& session() { return *m_session; }
    QWidget* pictureColumn() const { return m_pictureColumn; }
    QWidget* detailsColumn() const { return m_detailsColumn; }
    PictureBox* picture() const { return m_picture; }
    QScrollArea* pictureArea() const { return m_area; }
    QMenu* pictureMenu() const { return m_pictureMenu; }
    QMenu* fieldMenu() const { return m_fieldMenu; }

    // Copies Picture3 into Picture1 for the display mode.
    void RenderView();
    // After Preferences: the pictures are cleared, DisplayMode applied and the current picture reloaded.
    void applyDisplayMode();
    void openSearch();

Q_SIGNALS:
    void createReportRequested(int entryIndex);
    void aciUploadRequested(int entryIndex);
    void showHtmlForServerRequested(int serverIndex);
    void huntModeRequested();
    void addGuidToHuntRequested(const QString& guid);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildPictureColumn();
    void buildDetailsColumn();
    void buildMenus();
    void showView(const review::EntryView& view);
    void showSlider(const review::SliderState& state);
    void copyToClipboard(review::ReviewSession::ClipboardItem item);
    void pictureButton(Qt::MouseButton button, const QPoint& at);
    void updatePictureMenu();
    void updateServerMenu();
    void runningChanged(bool running);
    QAction* reviewAction(QMenu* menu, const QString& text, const QKeySequence& key, const char* name);

    app::AppCore& m_core;
    QMainWindow& m_window;
    ServerSelectionPanel& m_servers;
    CollectionControls& m_collection;
    review::ReviewSession* m_session = nullptr;

    QWidget* m_pictureColumn = nullptr;
    QWidget* m_detailsColumn = nullptr;
    QScrollArea* m_area = nullptr;
    QWidget* m_viewport = nullptr; // the picture area's viewport, compared only, never called
    PictureBox* m_picture = nullptr;
    QSlider* m_slider = nullptr;
    QSlider* m_gamma = nullptr;
    QPushButton* m_cheatLeft = nullptr;
    QPushButton* m_cheatRight = nullptr;
    QLabel* m_label1 = nullptr;
    std::array<FieldBox*, review::EntryView::FieldCount> m_fields{};
    QList<QWidget*> m_fieldCaptions;
    QCheckBox* m_cheating = nullptr;
    QLabel* m_label4 = nullptr;
    QLabel* m_aasa = nullptr;
    QLabel* m_aci = nullptr;
    QPushButton* m_aciButton = nullptr;
    QPushButton* m_deleteEntry = nullptr;
    QPushButton* m_deleteAll = nullptr;

    QMenu* m_pictureMenu = nullptr;
    QAction* m_copyLocal = nullptr;
    QAction* m_copyServer = nullptr;
    QAction* m_deleteNonCheating = nullptr;
    QAction* m_playSlideshow = nullptr;
    QAction* m_createReport = nullptr;
    QMenu* m_fieldMenu = nullptr;
    QAction* m_showHtml = nullptr;
    PlayerSearchDialog* m_search = nullptr;
};

} // namespace vh::gui
