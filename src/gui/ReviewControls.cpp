#include "gui/ReviewControls.h"

#include "app/AppCore.h"
#include "gui/CollectionControls.h"
#include "gui/FieldBox.h"
#include "gui/PictureBox.h"
#include "gui/PlayerSearchDialog.h"
#include "gui/ServerSelectionPanel.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace vh::gui {

using review::ReviewSession;

namespace {

const QString PictureToolTip = QStringLiteral("Right click on Image for menu");

QMenu* barMenu(QMainWindow& window, const QString& objectName, const QString& title)
{
    if (auto* existing = window.menuBar()->findChild<QMenu*>(objectName, Qt::FindDirectChildrenOnly))
        return existing;
    QMenu* created = window.menuBar()->addMenu(title);
    created->setObjectName(objectName);
    return created;
}

QAction* menuItem(QMenu* menu, const QString& text, const char* name)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    return action;
}

void paintBackground(QWidget* w, const QColor& colour, bool windowColour)
{
    if (windowColour) {
        w->setPalette(QPalette());
        w->setAutoFillBackground(false);
        return;
    }
    QPalette p = w->palette();
    for (QPalette::ColorRole role : {QPalette::Base, QPalette::Window, QPalette::Button})
        p.setColor(role, colour);
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        p.setColor(role, Qt::white);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void setTextColour(QLabel* label, const QColor& colour)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
}

} // namespace

ReviewControls::ReviewControls(app::AppCore& core, QMainWindow& window, ServerSelectionPanel& servers,
                               CollectionControls& collection)
    : QObject(&window), m_core(core), m_window(window), m_servers(servers), m_collection(collection)
{
    m_session = new ReviewSession(core.database(), core.entryStore(), core.vault(), core.banlists(), core.settings(),
                                  core.log(), core.workspace(), this);
    buildPictureColumn();
    buildDetailsColumn();
    buildMenus();

    connect(m_session, &ReviewSession::viewChanged, this, &ReviewControls::showView);
    connect(m_session, &ReviewSession::sliderChanged, this, &ReviewControls::showSlider);
    connect(m_session, &ReviewSession::pictureChanged, this, &ReviewControls::RenderView);
    connect(m_session, &ReviewSession::gammaSliderReset, this, [this](int value) {
        const QSignalBlocker block(m_gamma);
        m_gamma->setValue(value);
    });
    connect(&core.entryStore(), &database::EntryStore::entryAdded, m_session, &ReviewSession::entryAdded);
    connect(&core.inventory(), &collect::Inventory::runningChanged, this, &ReviewControls::runningChanged);
    applyDisplayMode();
}

ReviewControls::~ReviewControls() = default;

void ReviewControls::buildPictureColumn()
{
    m_pictureColumn = new QWidget;
    m_pictureColumn->setObjectName(QStringLiteral("ReviewPicture"));
    auto* outer = new QHBoxLayout(m_pictureColumn);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* left = new QVBoxLayout;

    m_area = new QScrollArea(m_pictureColumn);
    m_area->setObjectName(QStringLiteral("Picture1Area"));
    m_area->setWidgetResizable(false);
    m_area->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_area->setMinimumSize(320, 240);
    m_picture = new PictureBox;
    m_picture->setToolTip(PictureToolTip);
    m_area->setWidget(m_picture);
    m_viewport = m_area->viewport();
    m_viewport->installEventFilter(this);
    connect(m_picture, &PictureBox::pressed, this, &ReviewControls::pictureButton);
    left->addWidget(m_area, 1);

    auto* row = new QHBoxLayout;
    m_cheatLeft = new QPushButton(QStringLiteral("<<"), m_pictureColumn);
    m_cheatLeft->setObjectName(QStringLiteral("CheatLeft"));
    m_cheatLeft->setToolTip(QStringLiteral("Jump to previous PBSS marked as cheating"));
    m_slider = new QSlider(Qt::Horizontal, m_pictureColumn);
    m_slider->setObjectName(QStringLiteral("Slider1"));
    m_slider->setToolTip(QStringLiteral("Use slider to move between data-entrys"));
    m_slider->setRange(1, 1);
    m_slider->setPageStep(10);
    m_slider->setEnabled(false);
    m_cheatRight = new QPushButton(QStringLiteral(">>"), m_pictureColumn);
    m_cheatRight->setObjectName(QStringLiteral("CheatRight"));
    m_cheatRight->setToolTip(QStringLiteral("Jump to next PBSS marked as cheating"));
    m_label1 = new QLabel(QStringLiteral("PBSS"), m_pictureColumn);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setMinimumWidth(m_label1->fontMetrics().horizontalAdvance(QStringLiteral("PBSS 200000")) + 4);
    for (QPushButton* b : {m_cheatLeft, m_cheatRight})
        b->setMaximumWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("<<<<")) + 16);
    row->addWidget(m_cheatLeft);
    row->addWidget(m_slider, 1);
    row->addWidget(m_cheatRight);
    row->addWidget(m_label1);
    left->addLayout(row);
    outer->addLayout(left, 1);

    m_gamma = new QSlider(Qt::Vertical, m_pictureColumn);
    m_gamma->setObjectName(QStringLiteral("hscGamma"));
    m_gamma->setToolTip(QStringLiteral("Gamma"));
    m_gamma->setRange(1, 19);
    m_gamma->setSingleStep(1);
    m_gamma->setPageStep(1);
    m_gamma->setValue(review::PicturePipeline::NeutralSlider);
    // low values brighten: they stand at the top
    m_gamma->setInvertedAppearance(true);
    outer->addWidget(m_gamma);

    connect(m_slider, &QSlider::valueChanged, m_session, &ReviewSession::sliderMoved);
    connect(m_gamma, &QSlider::valueChanged, m_session, &ReviewSession::setGammaSlider);
    connect(m_cheatLeft, &QPushButton::clicked, m_session, &ReviewSession::CheatLeft);
    connect(m_cheatRight, &QPushButton::clicked, m_session, &ReviewSession::CheatRight);
}

void ReviewControls::buildDetailsColumn()
{
    m_detailsColumn = new QWidget;
    m_detailsColumn->setObjectName(QStringLiteral("ReviewDetails"));
    auto* grid = new QGridLayout(m_detailsColumn);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(2);
    static const std::array<const char*, review::EntryView::FieldCount> captions = {
        "Vault name", "Shot file", "Shot time", "Header", "Server address", "Server",  "GUID",
        "Player",     nullptr,     nullptr,     nullptr,  "Index line",     "Detected"};
    int row = 0;
    for (int i : review::EntryView::UsedFields) {
        auto* caption = new QLabel(QLatin1String(captions[std::size_t(i)]), m_detailsColumn);
        auto* field = new FieldBox(m_detailsColumn);
        field->setObjectName(QStringLiteral("txtFields%1").arg(i));
        caption->setBuddy(field);
        connect(field, &QWidget::customContextMenuRequested, this,
                [this, field](const QPoint& at) { m_fieldMenu->popup(field->mapToGlobal(at)); });
        m_fields[std::size_t(i)] = field;
        grid->addWidget(caption, row, 0);
        grid->addWidget(field, row, 1, 1, 3);
        ++row;
    }
    m_label4 = new QLabel(QStringLiteral("Cheating:"), m_detailsColumn);
    m_label4->setObjectName(QStringLiteral("Label4"));
    m_cheating = new QCheckBox(m_detailsColumn);
    m_cheating->setObjectName(QStringLiteral("chkFields0"));
    grid->addWidget(m_label4, row, 0);
    grid->addWidget(m_cheating, row, 1);
    ++row;
    m_aasa = new QLabel(m_detailsColumn);
    m_aasa->setObjectName(QStringLiteral("lblAasaStatus"));
    m_aci = new QLabel(m_detailsColumn);
    m_aci->setObjectName(QStringLiteral("lblAciStatus"));
    for (QLabel* status : {m_aasa, m_aci}) {
        status->setTextInteractionFlags(Qt::TextSelectableByMouse);
        status->setWordWrap(true);
    }
    grid->addWidget(new QLabel(QStringLiteral("AASA:"), m_detailsColumn), row, 0);
    grid->addWidget(m_aasa, row++, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("ACI:"), m_detailsColumn), row, 0);
    grid->addWidget(m_aci, row++, 1, 1, 3);

    m_aciButton = new QPushButton(QStringLiteral("ACI"), m_detailsColumn);
    m_aciButton->setObjectName(QStringLiteral("Command4"));
    m_deleteEntry = new QPushButton(QStringLiteral("Delete Entry"), m_detailsColumn);
    m_deleteEntry->setObjectName(QStringLiteral("Command2"));
    m_deleteEntry->setToolTip(QStringLiteral("Delete the current data-entry"));
    m_deleteAll = new QPushButton(QStringLiteral("Delete All PBSS"), m_detailsColumn);
    m_deleteAll->setObjectName(QStringLiteral("Command1"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_aciButton);
    buttons->addWidget(m_deleteEntry);
    buttons->addWidget(m_deleteAll);
    buttons->addStretch(1);
    grid->addLayout(buttons, row++, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row, 1);

    // the mark follows the user's click only, never the program setting the box
    connect(m_cheating, &QCheckBox::clicked, m_session, &ReviewSession::MarkByGuid);
    connect(m_deleteEntry, &QPushButton::clicked, m_session, &ReviewSession::DeleteEntry);
    connect(m_deleteAll, &QPushButton::clicked, m_session, &ReviewSession::DeleteAllShots);
    connect(m_aciButton, &QPushButton::clicked, this, [this] {
        if (m_session->entryCount() > 0)
            Q_EMIT aciUploadRequested(m_session->currentEntry());
    });
}

QAction* ReviewControls::reviewAction(QMenu* menu, const QString& text, const QKeySequence& key, const char* name)
{
    QAction* action = menuItem(menu, text, name);
    action->setShortcut(key);
    // the keys act where the review has the focus; lists and the log keep their own arrow keys
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_pictureColumn->addAction(action);
    m_detailsColumn->addAction(action);
    return action;
}

void ReviewControls::buildMenus()
{
    m_pictureMenu = new QMenu(QStringLiteral("top2"), m_picture);
    m_pictureMenu->setObjectName(QStringLiteral("MnuTop2"));
    m_copyLocal = menuItem(m_pictureMenu, QStringLiteral("Copy Path to Png(Local)"), "MnuCopyPngLocal");
    m_copyServer = menuItem(m_pictureMenu, QStringLiteral("Copy Path to Png(Server)"), "MnuCopyPngServer");
    m_deleteNonCheating = menuItem(m_pictureMenu, QStringLiteral("Delete Non-Cheating PNG"), "MnuDeleteNonCheatingPng");
    m_playSlideshow = menuItem(m_pictureMenu, QStringLiteral("Play Slideshow"), "MnuPlaySlideShow");
    m_createReport = menuItem(m_pictureMenu, QStringLiteral("Create Report for AASA on Player"), "MnuCreateAASAreport");
    QMenu* archive = m_pictureMenu->addMenu(QStringLiteral("Archive"));
    archive->setObjectName(QStringLiteral("mnyArchive"));
    QAction* archiveAll = menuItem(archive, QStringLiteral("Archive all PBSS"), "mnyArchiveAllPBSS");
    QAction* archiveThis = menuItem(archive, QStringLiteral("Archive THIS PBSS"), "mnuArchiveThisPbss");
    connect(m_pictureMenu, &QMenu::aboutToShow, this, &ReviewControls::updatePictureMenu);
    connect(m_copyLocal, &QAction::triggered, this,
            [this] { copyToClipboard(ReviewSession::ClipboardItem::PngLocal); });
    connect(m_copyServer, &QAction::triggered, this,
            [this] { copyToClipboard(ReviewSession::ClipboardItem::PngServer); });
    connect(m_deleteNonCheating, &QAction::triggered, m_session, &ReviewSession::DeleteNonCheating);
    connect(m_playSlideshow, &QAction::triggered, m_session, &ReviewSession::startSlideshow);
    connect(m_createReport, &QAction::triggered, this, [this] {
        if (m_session->entryCount() > 0)
            Q_EMIT createReportRequested(m_session->currentEntry());
    });
    connect(archiveAll, &QAction::triggered, m_session, &ReviewSession::ArchiveAll);
    connect(archiveThis, &QAction::triggered, m_session, &ReviewSession::ArchiveCurrent);

    m_fieldMenu = new QMenu(QStringLiteral("Top3"), m_detailsColumn);
    m_fieldMenu->setObjectName(QStringLiteral("Mnutop3"));
    QAction* copyGuid = menuItem(m_fieldMenu, QStringLiteral("Copy Guid"), "MnuCopyGuid");
    QAction* copyHtml = menuItem(m_fieldMenu, QStringLiteral("Copy HTML"), "MnuCopyHtml");
    QAction* addPrey = menuItem(m_fieldMenu, QStringLiteral("Add GUID to Huntmode"), "MnuAddPray");
    connect(copyGuid, &QAction::triggered, this, [this] { copyToClipboard(ReviewSession::ClipboardItem::Guid); });
    connect(copyHtml, &QAction::triggered, this, [this] { copyToClipboard(ReviewSession::ClipboardItem::Html); });
    connect(addPrey, &QAction::triggered, this, [this] {
        const QString guid = m_session->view().fields[6];
        if (!guid.isEmpty())
            Q_EMIT addGuidToHuntRequested(guid);
    });

    m_showHtml = menuItem(m_collection.serverMenu(), QStringLiteral("Show HTML for Server"), "MnuShowHTML");
    connect(m_collection.serverMenu(), &QMenu::aboutToShow, this, &ReviewControls::updateServerMenu);
    connect(m_showHtml, &QAction::triggered, this, [this] {
        const int item = m_core.inventory().selectedItem();
        const auto& items = m_core.serverDiscovery().selectionModel().items();
        if (item >= 0 && std::size_t(item) < items.size())
            Q_EMIT showHtmlForServerRequested(items.at(std::size_t(item)).server);
    });

    QMenu* modules = barMenu(m_window, QStringLiteral("Xmodules"), QStringLiteral("Modules"));
    auto* hunt = new QAction(QStringLiteral("HuntMode"), modules);
    hunt->setObjectName(QStringLiteral("fHuntMode"));
    modules->insertAction(modules->actions().value(0), hunt);
    connect(hunt, &QAction::triggered, this, &ReviewControls::huntModeRequested);

    // opening a bar menu stops a running slideshow
    for (const char* name : {"File", "Xmodules", "Download"}) {
        if (QMenu* menu = m_window.menuBar()->findChild<QMenu*>(QLatin1String(name), Qt::FindDirectChildrenOnly))
            connect(menu, &QMenu::aboutToShow, m_session, &ReviewSession::stopSlideshow);
    }
    for (const char* name : {"List1", "List6"}) {
        if (auto* list = m_servers.findChild<QAbstractItemView*>(QLatin1String(name)))
            list->viewport()->installEventFilter(this);
    }

    QMenu* review = barMenu(m_window, QStringLiteral("mnuReview"), QStringLiteral("Review"));
    connect(reviewAction(review, QStringLiteral("Previous Entry"), Qt::Key_Left, "mnuPreviousEntry"),
            &QAction::triggered, this, [this] { m_session->step(-1); });
    connect(reviewAction(review, QStringLiteral("Next Entry"), Qt::Key_Right, "mnuNextEntry"), &QAction::triggered,
            this, [this] { m_session->step(1); });
    connect(reviewAction(review, QStringLiteral("Back 10 Entries"), Qt::Key_PageUp, "mnuBack10"), &QAction::triggered,
            this, [this] { m_session->step(-10); });
    connect(reviewAction(review, QStringLiteral("Forward 10 Entries"), Qt::Key_PageDown, "mnuForward10"),
            &QAction::triggered, this, [this] { m_session->step(10); });
    connect(reviewAction(review, QStringLiteral("First Entry"), Qt::Key_Home, "mnuFirstEntry"), &QAction::triggered,
            m_session, &ReviewSession::first);
    connect(reviewAction(review, QStringLiteral("Last Entry"), Qt::Key_End, "mnuLastEntry"), &QAction::triggered,
            m_session, &ReviewSession::last);
    review->addSeparator();
    connect(reviewAction(review, QStringLiteral("Previous Entry Marked as Cheating"),
                         QKeySequence(Qt::CTRL | Qt::Key_Left), "mnuPreviousCheating"),
            &QAction::triggered, this, [this] {
                if (m_cheatLeft->isEnabled())
                    m_session->CheatLeft();
            });
    connect(reviewAction(review, QStringLiteral("Next Entry Marked as Cheating"),
                         QKeySequence(Qt::CTRL | Qt::Key_Right), "mnuNextCheating"),
            &QAction::triggered, this, [this] {
                if (m_cheatRight->isEnabled())
                    m_session->CheatRight();
            });
    review->addSeparator();
    QAction* find = menuItem(review, QStringLiteral("Find Player..."), "mnuFindPlayer");
    find->setShortcut(QKeySequence::Find);
    connect(find, &QAction::triggered, this, &ReviewControls::openSearch);
    connect(review, &QMenu::aboutToShow, m_session, &ReviewSession::stopSlideshow);
}

void ReviewControls::showView(const review::EntryView& view)
{
    m_label1->setText(view.label);
    const QColor background = base::toQColor(view.background);
    for (int i : review::EntryView::UsedFields) {
        FieldBox* field = m_fields[std::size_t(i)];
        field->setFullText(view.fields[std::size_t(i)]);
        paintBackground(field, background, view.empty);
    }
    {
        const QSignalBlocker block(m_cheating);
        m_cheating->setChecked(view.cheating);
    }
    paintBackground(m_cheating, background, view.empty);
    paintBackground(m_label4, background, view.empty);
    if (view.banShown) {
        m_aasa->setText(view.ban.aasaText);
        setTextColour(m_aasa, base::toQColor(view.ban.aasaColour));
        m_aci->setText(view.ban.aciText);
        setTextColour(m_aci, base::toQColor(view.ban.aciColour));
    } else if (view.empty) {
        m_aasa->clear();
        m_aci->clear();
    }
    m_aciButton->setEnabled(!view.empty);
}

void ReviewControls::showSlider(const review::SliderState& state)
{
    const QSignalBlocker block(m_slider);
    m_slider->setEnabled(state.enabled);
    m_slider->setMaximum(state.maximum);
    m_slider->setValue(state.value);
}

void ReviewControls::RenderView()
{
    m_picture->setImage(m_session->renderView(m_area->viewport()->width()));
}

void ReviewControls::applyDisplayMode()
{
    const bool scaled = m_session->displayMode() == review::DisplayMode::PartScaled;
    // the stretched view fills the width: a scroll bar that came and went would change that width each time
    m_area->setVerticalScrollBarPolicy(scaled ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
    m_area->setHorizontalScrollBarPolicy(scaled ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    m_picture->setImage(QImage());
    m_session->LoadEntryPicture();
    RenderView();
}

void ReviewControls::copyToClipboard(ReviewSession::ClipboardItem item)
{
    const QString text = m_session->clipboardText(item);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
    m_session->logClipboard(text);
}

void ReviewControls::pictureButton(Qt::MouseButton button, const QPoint& at)
{
    if (button != Qt::LeftButton && button != Qt::RightButton)
        return;
    if (button == Qt::RightButton)
        m_playSlideshow->setEnabled(!m_session->slideshowRunning());
    m_session->stopSlideshow();
    if (button == Qt::RightButton)
        m_pictureMenu->popup(at);
}

void ReviewControls::updatePictureMenu()
{
    const bool shown = !m_fields[1]->fullText().isEmpty();
    for (QAction* a : {m_copyLocal, m_copyServer, m_deleteNonCheating, m_playSlideshow, m_createReport})
        a->setEnabled(shown);
}

void ReviewControls::updateServerMenu()
{
    const collect::Inventory& inventory = m_core.inventory();
    m_showHtml->setEnabled(inventory.itemCount() > 0 && inventory.selectedItem() >= 0 &&
                           inventory.selectedItem() < inventory.itemCount());
}

void ReviewControls::runningChanged(bool running)
{
    m_picture->setEnabled(!running);
    m_picture->setToolTip(running ? QString() : PictureToolTip);
}

void ReviewControls::openSearch()
{
    m_session->stopSlideshow();
    if (!m_search) {
        m_search = new PlayerSearchDialog(m_core.database(), &m_window);
        connect(m_search, &PlayerSearchDialog::entryChosen, m_session, &ReviewSession::showEntry);
    }
    m_search->present();
}

bool ReviewControls::eventFilter(QObject* watched, QEvent* event)
{
    // the stored viewport, not m_area->viewport(): events still arrive while the scroll area is torn down
    if (watched == m_viewport && event->type() == QEvent::Resize &&
        m_session->displayMode() == review::DisplayMode::PartScaled) {
        RenderView();
    } else if (event->type() == QEvent::MouseButtonPress &&
               static_cast<QMouseEvent*>(event)->button() == Qt::RightButton && watched != m_viewport) {
        m_session->stopSlideshow();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vh::gui
