#include "gui/frmHuntMode.h"

#include "app/AppCore.h"
#include "base/Paths.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace vh::gui {

namespace {

QList<QByteArray> readLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return hunt::PreyList::textLines(f.readAll());
}

} // namespace

QString frmHuntMode::betaMarkerPath()
{
#ifdef Q_OS_WIN
    return QStringLiteral("c:/beta.txt");
#else
    return QDir::home().filePath(QStringLiteral("varnholt-beta.txt"));
#endif
}

frmHuntMode::frmHuntMode(app::AppCore& core, QLineEdit* completionField, QWidget* parent)
    : QDialog(parent), m_core(core), m_completionField(completionField)
{
    setObjectName(QStringLiteral("frmHuntMode"));
    setWindowTitle(QStringLiteral("Hunt Mode"));
    setModal(false);
    m_dialogs.askPrey = [this]() -> std::optional<QString> {
        bool ok = false;
        const QString text = QInputDialog::getText(this, windowTitle(), QStringLiteral("Enter Guid or Name of Pray"),
                                                   QLineEdit::Normal, QString(), &ok);
        return ok ? std::optional<QString>(text) : std::nullopt;
    };
    m_dialogs.chooseImportFile = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Choose Text FIle"), m_core.workspace().BaseFolder(),
                                            QStringLiteral("Text files (*.TXT);;All Files (*.*)"));
    };
    m_dialogs.showMessage = [this](const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, windowTitle(), text, QMessageBox::Ok, this);
        box.exec();
    };

    auto button = [this](const char* name, const QString& caption, const QString& tip, void (frmHuntMode::*handler)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(tip);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    m_prayList = new QListWidget(this);
    m_prayList->setObjectName(QStringLiteral("PrayList"));
    m_add = button("cmdAddPray", QStringLiteral("Add"), QStringLiteral("Add new pray"), &frmHuntMode::addPray);
    m_remove = button("cmdRemovePray", QStringLiteral("Remove"), QStringLiteral("Remove the selected pray"),
                      &frmHuntMode::removePray);
    m_clear = button("ClearPrayList", QStringLiteral("Clear"), QStringLiteral("Clear list"), &frmHuntMode::clearPray);
    m_import = button("cmdImportPray", QStringLiteral("Import"),
                      QStringLiteral("Import from a txtfile of your choosing"), &frmHuntMode::importPray);
    m_hunt = button("StartHunting", QStringLiteral("Hunt"), QStringLiteral("Start hunting to the pray below"),
                    &frmHuntMode::startHunting);
    m_stop = new QPushButton(QStringLiteral("Stop"), this);
    m_stop->setObjectName(QStringLiteral("StopHunting"));
    m_stop->setToolTip(QStringLiteral("Stop Hunting"));
    m_stop->setAutoDefault(false);
    connect(m_stop, &QPushButton::clicked, this, [this] { m_core.hunt().StopHunting(); });
    m_loop = new QCheckBox(QStringLiteral("Loop Huntmode"), this);
    m_loop->setObjectName(QStringLiteral("Check2"));
    connect(m_loop, &QCheckBox::toggled, this, [this](bool on) { m_core.hunt().setLoop(on); });

    m_beta = new QGroupBox(QStringLiteral(" Beta-Menu "), this);
    m_beta->setObjectName(QStringLiteral("Frame2"));
    m_addBanned = new QCheckBox(QString::fromUtf8("Add Guid\u00b4s already Banned By AASA"), m_beta);
    m_addBanned->setObjectName(QStringLiteral("Check1"));
    auto* trollbait = new QPushButton(QStringLiteral("Replace Pray with the AASA-trollbait"), m_beta);
    trollbait->setObjectName(QStringLiteral("Command1"));
    connect(trollbait, &QPushButton::clicked, this, &frmHuntMode::replaceWithTrollbait);
    auto* aci = new QPushButton(QStringLiteral("Add ACI"), m_beta);
    aci->setObjectName(QStringLiteral("Command2"));
    connect(aci, &QPushButton::clicked, this, &frmHuntMode::addAci);
    // Enter in the prey list must not fetch the trollbait page
    trollbait->setAutoDefault(false);
    aci->setAutoDefault(false);
    auto* betaLayout = new QVBoxLayout(m_beta);
    betaLayout->addWidget(m_addBanned);
    betaLayout->addWidget(trollbait);
    betaLayout->addWidget(aci);

    m_huntLog = new QListView(this);
    m_huntLog->setObjectName(QStringLiteral("List1"));
    m_huntLog->setModel(&m_core.huntLog());

    auto* bars = new QGridLayout;
    for (int w = 0; w < hunt::HuntRun::Workers; ++w) {
        auto* bar = new QProgressBar(this);
        bar->setObjectName(QStringLiteral("Huntbar"));
        bar->setProperty("index", w);
        bar->setTextVisible(false);
        bar->setMaximumHeight(8);
        bar->setValue(0);
        bars->addWidget(bar, w / 8, w % 8);
        m_bars.push_back(bar);
    }

    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setSizeGripEnabled(false);
    m_panel1 = new QLabel(status);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel2 = new QLabel(status);
    m_panel2->setObjectName(QStringLiteral("Panel2"));
    status->addWidget(m_panel1);
    status->addWidget(m_panel2);

    auto* buttons = new QVBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(m_add), static_cast<QWidget*>(m_remove), static_cast<QWidget*>(m_clear),
                       static_cast<QWidget*>(m_import)})
        buttons->addWidget(w);
    buttons->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(m_prayList, 1);
    top->addLayout(buttons);
    top->addWidget(m_beta);
    auto* huntRow = new QHBoxLayout;
    huntRow->addWidget(m_hunt);
    huntRow->addWidget(m_stop);
    huntRow->addWidget(m_loop);
    huntRow->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(huntRow);
    layout->addLayout(bars);
    layout->addWidget(m_huntLog, 1);
    layout->addWidget(status);
    resize(640, 520);

    hunt::HuntRun& run = m_core.hunt();
    connect(&run, &hunt::HuntRun::statusPanelChanged, this,
            [this](int panel, const QString& text) { (panel == 1 ? m_panel1 : m_panel2)->setText(text); });
    connect(&run, &hunt::HuntRun::workerProgress, this, [this](int w, qint64 read, qint64 total) {
        if (w < 0 || w >= int(m_bars.size()) || total <= 0)
            return;
        const auto scale = [total](qint64 v) { return int(v * 1000 / total); };
        m_bars[std::size_t(w)]->setRange(0, 1000);
        m_bars[std::size_t(w)]->setValue(scale(std::min(read, total)));
    });
    connect(&run, &hunt::HuntRun::barsFull, this, [this] {
        for (QProgressBar* bar : m_bars)
            bar->setValue(bar->maximum());
    });
    connect(&run, &hunt::HuntRun::runningChanged, this, [this](bool running) {
        m_stop->setEnabled(running);
        if (running) {
            HMDisableButtons();
            return;
        }
        HMEnableButtons();
        if (m_closeAfterHunt)
            done(QDialog::Rejected);
    });

    m_stop->setEnabled(false);
    // a window opens with "Loop Huntmode" unticked
    run.setLoop(false);
    m_core.huntLog().clear();
    const QStringList problems = m_prey.LoadPrayList(m_core.path(base::Paths::PreyFile));
    for (const QString& p : problems)
        m_core.huntLog().AddHuntLog(QStringLiteral("Problems in Loading Pray, error:") + p);
    refreshPreyList();
    m_beta->setVisible(QFile::exists(betaMarkerPath()));
}

void frmHuntMode::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    // the two panels share the width equally
    m_panel1->setFixedWidth(width() / 2 - 8);
    m_panel2->setFixedWidth(width() / 2 - 8);
}

void frmHuntMode::refreshPreyList()
{
    m_prayList->clear();
    for (const QByteArray& e : m_prey.entries())
        m_prayList->addItem(QString::fromLatin1(e));
}

void frmHuntMode::HMDisableButtons()
{
    for (QWidget* w :
         {static_cast<QWidget*>(m_hunt), static_cast<QWidget*>(m_add), static_cast<QWidget*>(m_remove),
          static_cast<QWidget*>(m_import), static_cast<QWidget*>(m_clear), static_cast<QWidget*>(m_prayList)})
        w->setEnabled(false);
}

void frmHuntMode::HMEnableButtons()
{
    for (QWidget* w :
         {static_cast<QWidget*>(m_hunt), static_cast<QWidget*>(m_add), static_cast<QWidget*>(m_remove),
          static_cast<QWidget*>(m_import), static_cast<QWidget*>(m_clear), static_cast<QWidget*>(m_prayList)})
        w->setEnabled(true);
}

void frmHuntMode::showMessage(const QString& text)
{
    if (m_dialogs.showMessage)
        m_dialogs.showMessage(text);
}

void frmHuntMode::addPray()
{
    const std::optional<QString> answer = m_dialogs.askPrey ? m_dialogs.askPrey() : std::nullopt;
    if (answer && m_prey.add(answer->toLatin1()))
        refreshPreyList();
}

void frmHuntMode::removePray()
{
    const int row = m_prayList->currentRow();
    if (m_prayList->currentItem() && m_prayList->currentItem()->isSelected() && m_prey.removeAt(row))
        refreshPreyList();
}

void frmHuntMode::clearPray()
{
    m_prey.clear();
    refreshPreyList();
}

void frmHuntMode::importPray()
{
    const QString file = m_dialogs.chooseImportFile ? m_dialogs.chooseImportFile() : QString();
    if (file.isEmpty())
        return;
    const hunt::PreyList::ImportResult result =
        m_prey.importLines(readLines(file), m_core.banlists().AasaBans(), m_addBanned->isChecked());
    m_core.huntLog().addAll(result.huntLog);
    refreshPreyList();
    showMessage(result.message());
}

void frmHuntMode::replaceWithTrollbait()
{
    const QByteArray page = m_core.pool().GetFile2(m_core.links().TrollbaitUrl, 0);
    m_core.huntLog().addAll(m_prey.replaceWithTrollbait(page, m_core.banlists().AasaBans(), m_addBanned->isChecked()));
    refreshPreyList();
}

void frmHuntMode::addAci()
{
    m_prey.replaceWithAci(m_core.banlists().AasaBans(), m_core.banlists().AciBans());
    refreshPreyList();
}

void frmHuntMode::startHunting()
{
    m_core.hunt().StartHunting(m_prey.entries());
}

void frmHuntMode::done(int result)
{
    if (m_core.hunt().isRunning()) {
        m_closeAfterHunt = true;
        m_core.hunt().StopHunting();
        return;
    }
    if (!m_closed) {
        m_closed = true;
        m_core.flags().StopRequested = 1;
        const base::Problems problems = m_prey.SavePrayList(m_core.path(base::Paths::PreyFile));
        if (!problems.isEmpty())
            showMessage(QStringLiteral("Problems in saving Pray, error:") + problems.join(QStringLiteral("; ")));
        if (m_completionField)
            m_completionField->setText(CompletionWord);
    }
    QDialog::done(result);
}

} // namespace vh::gui
