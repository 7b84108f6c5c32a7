#include "gui/frmOptions.h"

#include "app/AppCore.h"
#include "base/PreferenceRules.h"
#include "report/Browser.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QVBoxLayout>

namespace vh::gui {

using base::Setting;
namespace Rules = base::PreferenceRules;

const QString frmOptions::CompletionWord = QStringLiteral("prefdone");

namespace {
const QString LoadProblem = QStringLiteral("Problems in Loading Settings, error:");

int stateOf(const QCheckBox* box)
{
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

Qt::CheckState toCheckState(int state)
{
    return state == 1 ? Qt::Checked : state == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
}

QGroupBox* group(const QString& title, QLayout* layout)
{
    auto* box = new QGroupBox(title);
    box->setLayout(layout);
    return box;
}
// A box that another box locks sits indented under it.
QLayout* indented(QWidget* widget)
{
    auto* row = new QHBoxLayout;
    row->addSpacing(20);
    row->addWidget(widget);
    return row;
}
} // namespace

frmOptions::frmOptions(app::AppCore& core, QLineEdit* completionField, QWidget* mainWindow, QWidget* parent)
    : QWidget(parent, Qt::Window), m_core(core), m_completionField(completionField), m_mainWindow(mainWindow),
      m_browserName([] { return report::Browser::GetBrowserName(); })
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Preferences"));
    build();
    wireInterlocks();
    connect(&m_core, &app::AppCore::settingsLoaded, this, &frmOptions::copySettingsIntoControls);
}

QCheckBox* frmOptions::addCheck(const QString& name, Setting setting, const QString& caption)
{
    auto* box = new QCheckBox(caption, this);
    box->setObjectName(name);
    m_checks[setting] = box;
    return box;
}

QLineEdit* frmOptions::addText(const QString& name, Setting setting)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    m_texts[setting] = edit;
    return edit;
}

void frmOptions::build()
{
    auto* aasa = new QVBoxLayout;
    aasa->addWidget(addCheck(QStringLiteral("Check4"), Setting::SkipAasaBanned,
                             QStringLiteral("Skip ALL PBSS for GUID already banned by AASA")));
    aasa->addLayout(indented(addCheck(QStringLiteral("Check1"), Setting::SkipAasaPbssOnly,
                                      QStringLiteral("Skip PBSS for GUID already banned by PBSS only"))));
    aasa->addWidget(addCheck(QStringLiteral("Check24"), Setting::EnsureAasaBanlist,
                             QStringLiteral("Make sure Banlist is updated")));

    auto* aci = new QVBoxLayout;
    aci->addWidget(addCheck(QStringLiteral("Check17"), Setting::SkipAciBanned,
                            QStringLiteral("Skip ALL PBSS for GUID already banned by ACI")));
    aci->addLayout(indented(addCheck(QStringLiteral("Check20"), Setting::SkipAciPbssOnly,
                                     QStringLiteral("Skip PBSS for GUID already banned by PBSS only"))));
    aci->addWidget(
        addCheck(QStringLiteral("Check22"), Setting::EnsureAciBanlist, QStringLiteral("Make sure Banlist is updated")));

    auto* update = new QVBoxLayout;
    update->addWidget(addCheck(QStringLiteral("Check12"), Setting::AutoBanlistUpdate,
                               QStringLiteral("Update banlist at the interval specified below.")));
    auto* intervalRow = new QHBoxLayout;
    intervalRow->addWidget(new QLabel(QStringLiteral("Update interval in minutes for banlist, valid range (10-120)")));
    QLineEdit* text4 = addText(QStringLiteral("Text4"), Setting::BanlistUpdateMinutes);
    text4->setMaximumWidth(60);
    intervalRow->addWidget(text4);
    intervalRow->addStretch();
    update->addLayout(intervalRow);

    auto* collection = new QGridLayout;
    collection->addWidget(
        addCheck(QStringLiteral("Check18"), Setting::LoopScan, QStringLiteral("Loop when scanning servers")), 0, 0, 1,
        2);
    collection->addWidget(addCheck(QStringLiteral("Check13"), Setting::LimitPerServer,
                                   QStringLiteral("Limit number of PBSS downloaded per server")),
                          1, 0);
    QLineEdit* text5 = addText(QStringLiteral("Text5"), Setting::PerServerLimit);
    text5->setMaximumWidth(60);
    collection->addWidget(text5, 1, 1);
    collection->addWidget(addCheck(QStringLiteral("Check2"), Setting::LimitByAge,
                                   QStringLiteral("Limit Download of PBSS by Age (in hours)")),
                          2, 0);
    QLineEdit* text16 = addText(QStringLiteral("Text16"), Setting::MaxAgeHours);
    text16->setMaximumWidth(60);
    collection->addWidget(text16, 2, 1);
    m_threadsLabel = new QLabel(this);
    m_threadsLabel->setObjectName(QStringLiteral("Label2"));
    collection->addWidget(m_threadsLabel, 3, 0, 1, 2);
    m_threads = new QSlider(Qt::Horizontal, this);
    m_threads->setObjectName(QStringLiteral("Slider1"));
    m_threads->setRange(1, 40);
    m_threads->setValue(10);
    m_threads->setTickPosition(QSlider::TicksBelow);
    m_threads->setTickInterval(5);
    collection->addWidget(m_threads, 4, 0, 1, 2);
    collection->setColumnStretch(0, 1);

    auto* detection = new QVBoxLayout;
    detection->addWidget(
        addCheck(QStringLiteral("Check5"), Setting::ScanSsCleaner, QStringLiteral("AutoScan PBSS for 'SS_Cleaner'")));
    detection->addWidget(addCheck(QStringLiteral("Check6"), Setting::ScanNameChanger,
                                  QStringLiteral("AutoScan PBSS for 'NameChanger'")));
    detection->addWidget(
        addCheck(QStringLiteral("Check7"), Setting::ScanNoFog, QStringLiteral("AutoScan PBSS for 'NoFog'")));
    detection->addWidget(addCheck(QStringLiteral("Check10"), Setting::ScanColorCodes,
                                  QStringLiteral("AutoScan PBSS for detection by combination of Colorcodes")));
    detection->addWidget(addCheck(QStringLiteral("Check9"), Setting::StopOnDetection,
                                  QStringLiteral("Stop scanning when cheater found by auto-detection")));
    detection->addWidget(addCheck(QStringLiteral("Check3"), Setting::ReportOnAutoDetect,
                                  QStringLiteral("Create HTML report when cheater found with AutoDetection")));
    detection->addWidget(addCheck(QStringLiteral("Check19"), Setting::PlayEnemySpotted,
                                  QStringLiteral("Play \"Enemy Spotted\" when cheat is auto-detected")));

    auto* display = new QVBoxLayout;
    m_displayMode = new QButtonGroup(this);
    const QString modes[] = {QStringLiteral("Show PBSS, not scaled"),
                             QStringLiteral("Show image part of PBSS, not scaled"),
                             QStringLiteral("Show image part of PBSS, SCALED for easier viewing")};
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(modes[i], this);
        option->setObjectName(QStringLiteral("Option%1").arg(i + 1));
        m_displayMode->addButton(option, i + 1);
        display->addWidget(option);
    }
    m_displayMode->button(1)->setChecked(true);
    display->addWidget(new QLabel(QStringLiteral("Intervall used by slideshow in 1/10 of a second(0.5 sec-3 sec)")));
    m_slideshow = new QSlider(Qt::Horizontal, this);
    m_slideshow->setObjectName(QStringLiteral("Slider2"));
    m_slideshow->setRange(5, 30);
    m_slideshow->setValue(15);
    m_slideshow->setTickPosition(QSlider::TicksBelow);
    m_slideshow->setTickInterval(5);
    display->addWidget(m_slideshow);

    auto* reports = new QVBoxLayout;
    reports->addWidget(addCheck(QStringLiteral("Check11"), Setting::WarnReportResponsibility,
                                QStringLiteral("Warn about that USER is responsible that reports are correct")));
    auto* browserRow = new QHBoxLayout;
    browserRow->addWidget(new QLabel(QStringLiteral("Web-browser used by Collector:")));
    browserRow->addWidget(addCheck(QStringLiteral("Check21"), Setting::UseOwnBrowser, QString()));
    browserRow->addWidget(addText(QStringLiteral("Text15"), Setting::BrowserPath), 1);
    reports->addLayout(browserRow);

    auto* servers = new QGridLayout;
    servers->addWidget(
        addCheck(QStringLiteral("Check16"), Setting::ServerDiscovery, QStringLiteral("Server-Discovery active?")), 0,
        0);
    QLineEdit* text3 = addText(QStringLiteral("Text3"), Setting::DiscoveryCursor);
    text3->setMaximumWidth(60);
    servers->addWidget(text3, 0, 1);
    servers->addWidget(addCheck(QStringLiteral("Check23"), Setting::UseGameSpy, QStringLiteral("Use GameSpy")), 1, 0);
    servers->setColumnStretch(0, 1);

    auto* logging = new QVBoxLayout;
    logging->addWidget(
        addCheck(QStringLiteral("Check14"), Setting::VerboseLogging, QStringLiteral("Use verbose logging")));
    logging->addWidget(
        addCheck(QStringLiteral("Check15"), Setting::LogOnClose, QStringLiteral("Output to log when closing")));
    auto* counterRow = new QHBoxLayout;
    counterRow->addWidget(new QLabel(QStringLiteral("Number of PBSS downloaded:")));
    QLineEdit* text2 = addText(QStringLiteral("Text2"), Setting::DownloadedCount);
    text2->setMaximumWidth(90);
    counterRow->addWidget(text2);
    counterRow->addStretch();
    logging->addLayout(counterRow);
    // stored with the other settings, though nothing reads it
    addText(QStringLiteral("Text1"), Setting::UnusedText1)->hide();

    auto* left = new QVBoxLayout;
    left->addWidget(group(QStringLiteral("Collection"), collection));
    left->addWidget(group(QStringLiteral("AASA banlist"), aasa));
    left->addWidget(group(QStringLiteral("ACI banlist"), aci));
    left->addWidget(group(QStringLiteral("Banlist update"), update));
    left->addWidget(group(QStringLiteral("Logging"), logging));
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(group(QStringLiteral("Automatic detection"), detection));
    right->addWidget(group(QStringLiteral("Display"), display));
    right->addWidget(group(QStringLiteral("Reports"), reports));
    right->addWidget(group(QStringLiteral("Servers"), servers));
    right->addStretch();

    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    auto* ok = new QPushButton(QStringLiteral("Close"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);

    auto* main = new QVBoxLayout(this);
    main->addLayout(columns);
    main->addLayout(buttons);

    m_threadsLabel->setText(Rules::threadsCaption(m_threads->value()));
    text4->installEventFilter(this);
    text5->installEventFilter(this);
}

void frmOptions::wireInterlocks()
{
    const auto enableWhile = [this](Setting box, QWidget* dependent, bool (*rule)(int)) {
        QCheckBox* check = m_checks.at(box);
        const auto apply = [check, dependent, rule] { dependent->setEnabled(rule(stateOf(check))); };
        connect(check, &QCheckBox::stateChanged, this, apply);
        apply();
    };
    enableWhile(Setting::AutoBanlistUpdate, m_texts.at(Setting::BanlistUpdateMinutes), Rules::enablesDependent);
    enableWhile(Setting::LimitPerServer, m_texts.at(Setting::PerServerLimit), Rules::enablesDependent);
    enableWhile(Setting::LimitByAge, m_texts.at(Setting::MaxAgeHours), Rules::enablesDependent);
    enableWhile(Setting::SkipAasaBanned, m_checks.at(Setting::SkipAasaPbssOnly), Rules::allowsPbssOnly);
    enableWhile(Setting::SkipAciBanned, m_checks.at(Setting::SkipAciPbssOnly), Rules::allowsPbssOnly);
    connect(m_checks.at(Setting::UseOwnBrowser), &QCheckBox::stateChanged, this, [this](int state) {
        if (state == Qt::Unchecked)
            putDefaultBrowserName();
    });
    // sliderMoved covers the drag, valueChanged the click, the keys and the copy from the settings
    connect(m_threads, &QSlider::sliderMoved, this,
            [this](int value) { m_threadsLabel->setText(Rules::threadsCaption(value)); });
    connect(m_threads, &QSlider::valueChanged, this,
            [this](int value) { m_threadsLabel->setText(Rules::threadsCaption(value)); });
}

void frmOptions::putDefaultBrowserName()
{
    if (m_browserName)
        m_texts.at(Setting::BrowserPath)->setText(m_browserName());
}

void frmOptions::copySettingsIntoControls()
{
    const base::Settings& settings = m_core.settings();
    const auto logProblems = [this](const base::Problems& problems) {
        for (const QString& problem : problems)
            m_core.Log(LoadProblem + problem);
    };
    for (const auto& [setting, box] : m_checks) {
        const base::Checked<int> state = Rules::checkStateFromSlot(settings.value(setting));
        if (state.ok())
            box->setCheckState(toCheckState(state.value));
        logProblems(state.problems);
    }
    for (const auto& [setting, edit] : m_texts)
        edit->setText(settings.value(setting));
    const QString mode = settings.value(Setting::DisplayMode);
    for (int id = 1; id <= 3; ++id) {
        if (mode == QString::number(id))
            m_displayMode->button(id)->setChecked(true);
    }
    const std::pair<QSlider*, Setting> sliders[] = {{m_threads, Setting::Threads},
                                                    {m_slideshow, Setting::SlideshowTenths}};
    for (const auto& [slider, setting] : sliders) {
        const base::Checked<int> value =
            Rules::sliderValueFromSlot(settings.value(setting), slider->minimum(), slider->maximum());
        if (value.ok())
            slider->setValue(value.value);
        logProblems(value.problems);
    }
}

void frmOptions::ReadPreferences()
{
    base::Settings& settings = m_core.settings();
    for (const auto& [setting, box] : m_checks)
        settings.setValue(setting, QString::number(stateOf(box)));
    for (const auto& [setting, edit] : m_texts)
        settings.setValue(setting, edit->text());
    settings.setValue(Setting::DisplayMode, QString::number(m_displayMode->checkedId()));
    settings.setValue(Setting::Threads, QString::number(m_threads->value()));
    settings.setValue(Setting::SlideshowTenths, QString::number(m_slideshow->value()));
    m_core.applyDiscoveryTimer();
}

void frmOptions::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    m_core.LoadSettings();
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    m_texts.at(Setting::PerServerLimit)
        ->setEnabled(Rules::enablesDependent(stateOf(m_checks.at(Setting::LimitPerServer))));
    if (m_core.settings().value(Setting::UseOwnBrowser) == QLatin1String("0"))
        putDefaultBrowserName();
}

void frmOptions::closeEvent(QCloseEvent* event)
{
    if (!m_closed) {
        m_closed = true;
        ReadPreferences();
        m_core.SaveSettings();
        if (m_completionField)
            m_completionField->setText(CompletionWord);
        if (m_mainWindow) {
            m_mainWindow->raise();
            m_mainWindow->activateWindow();
        }
        Q_EMIT finished();
    }
    event->accept();
}

bool frmOptions::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        QLineEdit* text4 = m_texts.at(Setting::BanlistUpdateMinutes);
        QLineEdit* text5 = m_texts.at(Setting::PerServerLimit);
        if (watched == text4)
            text4->setText(Rules::validateBanlistInterval(text4->text()));
        else if (watched == text5)
            text5->setText(Rules::validatePerServerLimit(text5->text()));
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace vh::gui
