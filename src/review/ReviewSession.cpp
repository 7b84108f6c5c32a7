#include "review/ReviewSession.h"

#include "base/ActivityLog.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "base/Workspace.h"
#include "database/Database.h"
#include "database/EntryStore.h"

#include <QDir>

#include <algorithm>
#include <utility>

namespace vh::review {

using base::Setting;

ReviewSession::ReviewSession(database::Database& db, database::EntryStore& store, database::VaultHousekeeping& vault,
                             const banlists::Banlists& banlists, base::Settings& settings, base::ActivityLog& log,
                             const base::Workspace& workspace, QObject* parent)
    : QObject(parent), m_db(db), m_store(store), m_vault(vault), m_banlists(banlists), m_settings(settings), m_log(log),
      m_workspace(workspace)
{
    m_view.label = QStringLiteral("PBSS");
    connect(&m_slideshow, &QTimer::timeout, this, &ReviewSession::slideshowTick);
}

int ReviewSession::entryCount() const
{
    return m_db.EntryCount();
}

int ReviewSession::currentEntry() const
{
    return m_db.CurrentEntry;
}

QString ReviewSession::downloadedText() const
{
    return QStringLiteral("Downloaded PBSS: ") + m_settings.value(Setting::DownloadedCount);
}

DisplayMode ReviewSession::displayMode() const
{
    return displayModeFrom(m_settings.value(Setting::DisplayMode));
}

void ReviewSession::setSlider(const SliderState& state)
{
    // always told: the value may have been moved ahead of the window's slider by a jump
    m_slider = state;
    m_updating = true;
    Q_EMIT sliderChanged(m_slider);
    m_updating = false;
}

void ReviewSession::clearView()
{
    setSlider({false, m_slider.maximum, m_slider.value});
    m_view = EntryView{};
    m_view.label = QStringLiteral("PBSS");
    m_picturePath.clear();
    m_picture.clear();
    Q_EMIT viewChanged(m_view);
    Q_EMIT pictureChanged();
}

void ReviewSession::ShowCurrentEntry()
{
    Q_EMIT downloadedTextChanged(downloadedText());
    const int count = entryCount();
    if (count < 1) {
        clearView();
        return;
    }
    EntryView view;
    view.empty = false;
    if (count == 1) {
        setSlider({false, 1, 1});
        m_db.CurrentEntry = 1;
        view.label = QStringLiteral("PBSS 1");
    } else {
        setSlider({true, count, std::clamp(m_slider.value, 1, count)});
        m_db.CurrentEntry = m_slider.value;
        view.label = QStringLiteral("PBSS ") + QString::number(m_slider.value);
    }
    view.entry = m_db.CurrentEntry;
    const database::ScreenshotEntry& e = std::as_const(m_db).entry(m_db.CurrentEntry);
    view.fields[0] = QString::fromLatin1(e.VaultName);
    view.fields[1] = QString::fromLatin1(e.ShotFile);
    view.fields[2] = QString::fromLatin1(e.ShotTime);
    view.fields[3] = QString::fromLatin1(e.HeaderInfo);
    view.fields[4] = QString::fromLatin1(e.ServerAddress);
    view.fields[5] = QString::fromLatin1(e.ServerName);
    view.fields[6] = QString::fromLatin1(e.GUID);
    view.fields[7] = QString::fromLatin1(e.PlayerName);
    view.fields[11] = QString::fromLatin1(e.IndexText);
    view.fields[12] = QString::fromLatin1(e.AutoDetected);
    view.cheating = e.Cheating;
    view.captureWidth = e.CaptureWidth;
    view.captureHeight = e.CaptureHeight;
    // the ban status belongs to this entry even when its picture cannot be shown
    view.ban = m_banlists.ShowBanStatus(e.GUID);
    view.banShown = true;
    view.background = banlists::Banlists::detailBackground(view.cheating);
    m_view = view;
    m_picturePath = m_workspace.path(base::Paths::Vault) + QLatin1Char('/') + view.fields[0] + QStringLiteral(".png");
    Q_EMIT viewChanged(m_view);
    LoadEntryPicture();
}

void ReviewSession::LoadEntryPicture()
{
    if (entryCount() == 0 || m_picturePath.isEmpty())
        return;
    if (m_picturePath.toLower().endsWith(QLatin1String(".htm")))
        return;
    // a missing or damaged PNG leaves an empty view rather than the previous entry's picture
    m_picture.load(m_picturePath);
    Q_EMIT gammaSliderReset(PicturePipeline::NeutralSlider);
    Q_EMIT pictureChanged();
}

void ReviewSession::sliderMoved(int value)
{
    if (m_updating)
        return;
    showEntry(value);
}

void ReviewSession::showEntry(int n)
{
    const int count = entryCount();
    if (count < 1)
        return;
    n = std::clamp(n, 1, count);
    if (n == m_db.CurrentEntry && n == m_slider.value && !m_view.empty)
        return;
    m_slider.value = n;
    ShowCurrentEntry();
}

int ReviewSession::previousCheating(int from) const
{
    for (int i = std::min(from, entryCount() + 1) - 1; i >= 1; --i) {
        if (std::as_const(m_db).entry(i).Cheating)
            return i;
    }
    return 0;
}

int ReviewSession::nextCheating(int from) const
{
    for (int i = std::max(from, 0) + 1; i <= entryCount(); ++i) {
        if (std::as_const(m_db).entry(i).Cheating)
            return i;
    }
    return 0;
}

void ReviewSession::CheatLeft()
{
    if (const int i = previousCheating(m_db.CurrentEntry))
        showEntry(i);
}

void ReviewSession::CheatRight()
{
    if (const int i = nextCheating(m_db.CurrentEntry))
        showEntry(i);
}

void ReviewSession::entryAdded(int n)
{
    if (m_view.empty) {
        m_slider.value = n;
        ShowCurrentEntry();
        return;
    }
    const int count = entryCount();
    setSlider({count > 1, std::max(count, 1), std::clamp(m_slider.value, 1, std::max(count, 1))});
    Q_EMIT downloadedTextChanged(downloadedText());
}

void ReviewSession::setGammaSlider(int value)
{
    if (value == m_picture.gammaSlider() && value != PicturePipeline::NeutralSlider)
        return;
    m_picture.setGammaSlider(value);
    Q_EMIT pictureChanged();
}

void ReviewSession::startSlideshow()
{
    const int tenths = std::clamp(m_settings.number(Setting::SlideshowTenths, 10), 5, 30);
    m_slideshow.start(100 * tenths);
    m_log.Log(QStringLiteral("Slideshow started"));
    Q_EMIT slideshowChanged(true);
}

void ReviewSession::stopSlideshow()
{
    if (!m_slideshow.isActive())
        return;
    m_slideshow.stop();
    m_log.Log(QStringLiteral("Slideshow stopped"));
    Q_EMIT slideshowChanged(false);
}

void ReviewSession::slideshowTick()
{
    if (m_slider.value < m_slider.maximum && m_slider.value < entryCount())
        showEntry(m_slider.value + 1);
    else
        stopSlideshow();
}

void ReviewSession::applyUpdate(const database::VaultHousekeeping::ViewUpdate& update)
{
    if (update.clearView)
        clearView();
    if (update.sliderToFirst)
        setSlider({true, std::max(entryCount(), 1), 1});
    if (update.showCurrent)
        ShowCurrentEntry();
}

void ReviewSession::DeleteEntry()
{
    applyUpdate(m_vault.DeleteEntry(m_slider.value));
}

void ReviewSession::DeleteAllShots()
{
    applyUpdate(m_vault.DeleteAllShots());
}

void ReviewSession::DeleteNonCheating()
{
    applyUpdate(m_vault.DeleteNonCheating());
}

void ReviewSession::ArchiveCurrent()
{
    applyUpdate(m_vault.ArchiveCurrent(m_slider.value));
}

void ReviewSession::ArchiveAll()
{
    applyUpdate(m_vault.ArchiveAll());
}

void ReviewSession::MarkByGuid(bool cheating)
{
    if (m_view.empty)
        return;
    m_store.MarkByGuid(m_view.fields[6].toLatin1(), cheating);
    // the details take the new colour at once, not only when the next entry is shown
    m_view.cheating = cheating;
    m_view.background = banlists::Banlists::detailBackground(cheating);
    Q_EMIT viewChanged(m_view);
}

QString ReviewSession::clipboardText(ClipboardItem item) const
{
    switch (item) {
    case ClipboardItem::PngLocal:
        return QDir::toNativeSeparators(m_workspace.path(base::Paths::Vault) + QLatin1Char('/') + m_view.fields[0] +
                                        QStringLiteral(".png"));
    case ClipboardItem::PngServer: {
        const bool shown = !m_view.empty && m_view.entry >= 1 && m_view.entry <= entryCount();
        const database::ScreenshotEntry none;
        const database::ScreenshotEntry& e = shown ? std::as_const(m_db).entry(m_view.entry) : none;
        return QString::fromLatin1(e.ServerURL) + QStringLiteral("/pb") + QString::fromLatin1(e.IndexText.left(6)) +
               QStringLiteral(".png");
    }
    case ClipboardItem::Guid:
        return m_view.fields[6];
    case ClipboardItem::Html:
        return m_view.fields[11];
    }
    return QString();
}

void ReviewSession::logClipboard(const QString& text)
{
    m_log.Log(text + QStringLiteral(" placed in clipboard"));
}

RenderPlan ReviewSession::renderPlan(int viewWidth) const
{
    return planRender(displayMode(), m_picture.screenshot().size(), m_view.captureWidth, m_view.captureHeight,
                      viewWidth);
}

QImage ReviewSession::renderView(int viewWidth) const
{
    return review::renderView(m_picture.screenshot(), renderPlan(viewWidth));
}

} // namespace vh::review
