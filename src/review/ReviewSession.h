#pragma once

#include "banlists/Banlists.h"
#include "base/Colours.h"
#include "database/VaultHousekeeping.h"
#include "review/PicturePipeline.h"
#include "review/ViewGeometry.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <array>

namespace vh::base {
class ActivityLog;
class Settings;
class Workspace;
} // namespace vh::base

namespace vh::database {
class Database;
class EntryStore;
} // namespace vh::database

namespace vh::review {

// What the window shows for the current entry: the captions of the detail labels, the cheating box, the ban
// status and the background of the details.
struct EntryView
{
    static constexpr int FieldCount = 13; // detail labels 0 to 7, 11 and 12 are used
    static constexpr std::array<int, 10> UsedFields{0, 1, 2, 3, 4, 5, 6, 7, 11, 12};

    bool empty = true; // no entries: cleared view, window background
    int entry = 0;
    QString label; // "PBSS" or "PBSS n"
    std::array<QString, FieldCount> fields{};
    bool cheating = false;
    base::Colour background = 0;
    banlists::BanStatus ban;
    bool banShown = false; // the ban labels were set for this entry
    int captureWidth = 0;
    int captureHeight = 0;
};

// The entry slider's state as the window must mirror it.
struct SliderState
{
    bool enabled = false;
    int maximum = 1;
    int value = 1;
    bool operator==(const SliderState&) const = default;
};

// The viewing side of the main window without its widgets: which entry is shown and how it reached there
// (slider, jumps to cheating entries, slideshow, new entries, housekeeping), the picture with its gamma,
// the clipboard texts and the marking of a player.
class ReviewSession final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReviewSession)

public:
    enum class ClipboardItem
    {
        PngLocal,  // "Copy Path to Png(Local)"
        PngServer, // "Copy Path to Png(Server)"
        Guid,      // "Copy Guid"
        Html       // "Copy HTML"
    };

    ReviewSession(database::Database& db, database::EntryStore& store, database::VaultHousekeeping& vault,
                  const banlists::Banlists& banlists, base::Settings& settings, base::ActivityLog& log,
                  const base::Workspace& workspace, QObject* parent = nullptr);

    // Shows the entry the slider stands on (ShowCurrentEntry), with its picture and ban status.
    void ShowCurrentEntry();
    // Reloads the current entry's picture (LoadEntryPicture): after Preferences change the display mode.
    void LoadEntryPicture();

    // The slider moved to value (by the user or the program); ignored while the session sets it itself.
    void sliderMoved(int value);
    // Moves to entry n as the slider would (clamped to 1..EntryCount).
    void showEntry(int n);
    void step(int delta) { showEntry(m_slider.value + delta); }
    void first() { showEntry(1); }
    void last() { showEntry(entryCount()); }
    // CheatLeft / CheatRight: the nearest entry marked as cheating before / after the current one, no wrap.
    void CheatLeft();
    void CheatRight();
    // The nearest entry marked cheating below / above from (exclusive); 0 when none.
    int previousCheating(int from) const;
    int nextCheating(int from) const;

    // An entry n was added: the slider's maximum follows; the entry shown stays, unless there was none.
    void entryAdded(int n);

    // The gamma slider moved.
    void setGammaSlider(int value);

    // "Play Slideshow": steps every SlideshowTenths tenths of a second until the last entry.
    void startSlideshow();
    // Stops a running slideshow with its log line; nothing when none runs.
    void stopSlideshow();
    bool slideshowRunning() const { return m_slideshow.isActive(); }
    // One tick of the slideshow.
    void slideshowTick();
    const QTimer& slideshowTimer() const { return m_slideshow; }

    // The housekeeping commands on the shown entry or the whole table, each followed by the right view.
    void DeleteEntry();
    void DeleteAllShots();
    void DeleteNonCheating();
    void ArchiveCurrent();
    void ArchiveAll();

    // The cheating box of the shown entry was ticked or unticked: every entry of its GUID follows.
    void MarkByGuid(bool cheating);

    // The text a clipboard command puts on the clipboard.
    QString clipboardText(ClipboardItem item) const;
    // Logs the text followed by " placed in clipboard".
    void logClipboard(const QString& text);

    // The view's picture for the display mode and a view of this width.
    QImage renderView(int viewWidth) const;
    RenderPlan renderPlan(int viewWidth) const;
    DisplayMode displayMode() const;

    int entryCount() const;
    int currentEntry() const;
    const EntryView& view() const { return m_view; }
    const SliderState& slider() const { return m_slider; }
    const PicturePipeline& picture() const { return m_picture; }
    QString picturePath() const { return m_picturePath; }
    // Status-bar panel 1.
    QString downloadedText() const;

Q_SIGNALS:
    void viewChanged(const vh::review::EntryView& view);
    void sliderChanged(const vh::review::SliderState& state);
    // The picture or its gamma painting changed: the view renders anew.
    void pictureChanged();
    void gammaSliderReset(int value);
    void downloadedTextChanged(const QString& text);
    void slideshowChanged(bool running);

private:
    void setSlider(const SliderState& state);
    void clearView();
    void applyUpdate(const database::VaultHousekeeping::ViewUpdate& update);

    database::Database& m_db;
    database::EntryStore& m_store;
    database::VaultHousekeeping& m_vault;
    const banlists::Banlists& m_banlists;
    base::Settings& m_settings;
    base::ActivityLog& m_log;
    const base::Workspace& m_workspace;
    EntryView m_view;
    SliderState m_slider;
    bool m_updating = false;
    QString m_picturePath;
    PicturePipeline m_picture;
    QTimer m_slideshow; // Timer1
};

} // namespace vh::review
