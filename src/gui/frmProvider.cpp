#include "gui/frmProvider.h"

#include "app/AppCore.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace vh::gui {

using base::Setting;
using servers::ProviderTable;

namespace {

const QString AddTitle = QStringLiteral("Adding new Server provider");
const QString MethodValues[3] = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};

std::optional<QString> askUser(QWidget* parent, const QString& title, const QString& prompt, const QString& proposal)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(proposal);
    // wide enough for a whole path template such as /{IP}/pb/svss/pbsvss.htm and then some
    const int wide = dialog.fontMetrics().averageCharWidth() * 70;
    dialog.resize(std::max(wide, dialog.sizeHint().width()), dialog.sizeHint().height());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

} // namespace

frmProvider::frmProvider(app::AppCore& core, QLineEdit* completionField, QWidget* parent)
    : QWidget(parent, Qt::Window), m_core(core), m_completionField(completionField)
{
    setObjectName(QStringLiteral("frmProvider"));
    setWindowTitle(QStringLiteral("Provider-Managment"));
    m_prompt = [this](const QString& title, const QString& prompt, const QString& proposal) {
        return askUser(this, title, prompt, proposal);
    };

    m_providerList = new QListWidget(this);
    m_providerList->setObjectName(QStringLiteral("lstProviders"));
    m_rangeList = new QListWidget(this);
    m_rangeList->setObjectName(QStringLiteral("lstRanges"));

    auto button = [this](const char* name, const QString& caption, void (frmProvider::*handler)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    QPushButton* addProviderButton =
        button("cmdAddProvider", QStringLiteral("Add new Provider"), &frmProvider::addProvider);
    QPushButton* editNameButton =
        button("cmdEditName", QStringLiteral("Edit Selected ProviderName"), &frmProvider::editProviderName);
    QPushButton* editPathButton =
        button("cmdEditPath", QStringLiteral("Edit Provider Path"), &frmProvider::editProviderPath);
    QPushButton* deleteProviderButton =
        button("cmdDeleteProvider", QStringLiteral("Delete Selected Provider"), &frmProvider::deleteProvider);
    QPushButton* addRangeButton =
        button("cmdAddRange", QStringLiteral("Add new IP-Range for selected Provider"), &frmProvider::addRange);
    QPushButton* deleteRangeButton = button(
        "cmdDeleteRange", QStringLiteral("Delete Selected IP-Range for selected Provider"), &frmProvider::deleteRange);
    QPushButton* applyButton = button("cmdApply", QStringLiteral("Apply Change"), &frmProvider::applyChange);
    QPushButton* closeButton = button("cmdClose", QStringLiteral("Close"), &frmProvider::closeWithMethod);

    auto* editor = new QGridLayout;
    editor->addWidget(new QLabel(QStringLiteral("IP From"), this), 0, 0);
    editor->addWidget(new QLabel(QStringLiteral("To"), this), 1, 0);
    auto* octets = new QIntValidator(0, 255, this);
    for (int i = 0; i < 4; ++i) {
        m_from[std::size_t(i)] = new QLineEdit(QStringLiteral("0"), this);
        m_from[std::size_t(i)]->setObjectName(QStringLiteral("txtFrom%1").arg(i));
        m_to[std::size_t(i)] = new QLineEdit(QStringLiteral("0"), this);
        m_to[std::size_t(i)]->setObjectName(QStringLiteral("txtTo%1").arg(i));
        for (QLineEdit* field : {m_from[std::size_t(i)], m_to[std::size_t(i)]}) {
            field->setValidator(octets);
            field->setMaxLength(3);
            field->installEventFilter(this);
        }
        editor->addWidget(m_from[std::size_t(i)], 0, i + 1);
        editor->addWidget(m_to[std::size_t(i)], 1, i + 1);
        if (i < 3) {
            // the last address shares the first three octets of the first
            m_to[std::size_t(i)]->setReadOnly(true);
            connect(m_from[std::size_t(i)], &QLineEdit::textChanged, m_to[std::size_t(i)], &QLineEdit::setText);
        }
    }

    auto* methodBox = new QGroupBox(QStringLiteral("Method:"), this);
    auto* methodLayout = new QVBoxLayout(methodBox);
    const QString methodCaptions[3] = {QStringLiteral("Full Server-Scanning"), QStringLiteral("GameSpy-Query"),
                                       QStringLiteral("Off")};
    const QString current = m_core.settings().value(Setting::UseGameSpy);
    for (int i = 0; i < 3; ++i) {
        m_method[std::size_t(i)] = new QRadioButton(methodCaptions[i], methodBox);
        m_method[std::size_t(i)]->setObjectName(QStringLiteral("optMethod%1").arg(i + 1));
        m_method[std::size_t(i)]->setChecked(current == MethodValues[i]);
        methodLayout->addWidget(m_method[std::size_t(i)]);
    }

    auto* providerButtons = new QVBoxLayout;
    for (QPushButton* b : {addProviderButton, editNameButton, editPathButton, deleteProviderButton})
        providerButtons->addWidget(b);
    providerButtons->addStretch();
    auto* rangeButtons = new QVBoxLayout;
    for (QPushButton* b : {addRangeButton, deleteRangeButton})
        rangeButtons->addWidget(b);
    rangeButtons->addLayout(editor);
    rangeButtons->addWidget(applyButton);
    rangeButtons->addStretch();

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_providerList, 0, 0);
    layout->addLayout(providerButtons, 0, 1);
    layout->addWidget(m_rangeList, 1, 0);
    layout->addLayout(rangeButtons, 1, 1);
    layout->addWidget(methodBox, 2, 0);
    layout->addWidget(closeButton, 2, 1, Qt::AlignBottom);

    connect(m_providerList, &QListWidget::currentRowChanged, this, [this] { refreshRanges(0); });
    connect(m_rangeList, &QListWidget::currentRowChanged, this, &frmProvider::showRange);

    m_core.discoveryTimer().stop();
    refreshProviders(1);
    resize(760, 560);
}

bool frmProvider::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        if (auto* field = qobject_cast<QLineEdit*>(watched))
            QTimer::singleShot(0, field, &QLineEdit::selectAll);
    }
    return QWidget::eventFilter(watched, event);
}

int frmProvider::selectedProvider() const
{
    const int row = m_providerList->currentRow();
    return row >= 0 ? row + 1 : 0;
}

int frmProvider::selectedRange() const
{
    const QListWidgetItem* item = m_rangeList->currentItem();
    return item ? item->data(Qt::UserRole).toInt() : 0;
}

void frmProvider::refreshProviders(int select)
{
    const ProviderTable& table = m_core.serverDiscovery().providers();
    m_providerList->blockSignals(true);
    m_providerList->clear();
    for (int p = 1; p <= table.ProviderCount(); ++p)
        m_providerList->addItem(table.provider(p).Name);
    if (select >= 1 && select <= table.ProviderCount())
        m_providerList->setCurrentRow(select - 1);
    m_providerList->blockSignals(false);
    refreshRanges(0);
}

void frmProvider::refreshRanges(int selectRange)
{
    const ProviderTable& table = m_core.serverDiscovery().providers();
    m_rangeList->blockSignals(true);
    m_rangeList->clear();
    for (int r : table.rangesOf(selectedProvider())) {
        auto* item = new QListWidgetItem(ProviderTable::rangeText(table.range(r)), m_rangeList);
        item->setData(Qt::UserRole, r);
        if (r == selectRange)
            m_rangeList->setCurrentItem(item);
    }
    m_rangeList->blockSignals(false);
    showRange();
}

void frmProvider::showRange()
{
    const int r = selectedRange();
    if (r == 0)
        return;
    const servers::IpRange& range = m_core.serverDiscovery().providers().range(r);
    m_from[0]->setText(QString::number(range.A));
    m_from[1]->setText(QString::number(range.B));
    m_from[2]->setText(QString::number(range.C));
    m_from[3]->setText(QString::number(range.First));
    m_to[3]->setText(QString::number(int(range.First) + int(range.Span)));
}

void frmProvider::addProvider()
{
    const auto name = m_prompt(AddTitle, QStringLiteral("Enter name of Provider"), QString());
    if (!name)
        return;
    const auto path = m_prompt(AddTitle, QStringLiteral("Enter Path of pbsvss.htm"), ProviderTable::DefaultPath);
    if (!path)
        return;
    ProviderTable& table = m_core.serverDiscovery().providers();
    if (!table.addProvider(*name, *path)) {
        QApplication::beep();
        return;
    }
    refreshProviders(table.ProviderCount());
}

void frmProvider::editProviderName()
{
    const int p = selectedProvider();
    if (p == 0)
        return;
    ProviderTable& table = m_core.serverDiscovery().providers();
    const auto name = m_prompt(QStringLiteral("Edit the name of the Server provider"),
                               QStringLiteral("Enter new name of Provider"), table.provider(p).Name);
    if (!name)
        return;
    table.provider(p).Name = *name;
    refreshProviders(p);
}

void frmProvider::editProviderPath()
{
    const int p = selectedProvider();
    if (p == 0)
        return;
    ProviderTable& table = m_core.serverDiscovery().providers();
    const auto path = m_prompt(QStringLiteral("Edit the path of the Server provider"),
                               QStringLiteral("Enter new path of Provider"), table.provider(p).Path);
    if (!path)
        return;
    table.provider(p).Path = *path;
}

void frmProvider::deleteProvider()
{
    const int p = selectedProvider();
    if (p == 0)
        return;
    m_core.serverDiscovery().providers().deleteProvider(p);
    refreshProviders(std::min(p, m_core.serverDiscovery().providers().ProviderCount()));
}

void frmProvider::addRange()
{
    const int p = selectedProvider();
    if (p == 0)
        return;
    ProviderTable& table = m_core.serverDiscovery().providers();
    if (!table.addRange(servers::IpRange{0, 0, 0, 0, 0, quint8(p)})) {
        QApplication::beep();
        return;
    }
    for (QLineEdit* field : m_from)
        field->setText(QStringLiteral("0"));
    m_to[3]->setText(QStringLiteral("0"));
    refreshRanges(table.IpRangeCount());
}

void frmProvider::deleteRange()
{
    const int r = selectedRange();
    if (r == 0)
        return;
    m_core.serverDiscovery().providers().deleteRange(r);
    refreshRanges(0);
}

void frmProvider::applyChange()
{
    const int r = selectedRange();
    if (r == 0)
        return;
    std::array<int, 5> values{};
    const std::array<QLineEdit*, 5> fields{m_from[0], m_from[1], m_from[2], m_from[3], m_to[3]};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        bool ok = false;
        values[i] = fields[i]->text().toInt(&ok);
        if (!ok || values[i] < 0 || values[i] > 255) {
            QApplication::beep();
            fields[i]->setFocus();
            return;
        }
    }
    if (values[4] < values[3]) {
        values[4] = values[3];
        m_to[3]->setText(QString::number(values[4]));
    }
    m_core.serverDiscovery().providers().applyRange(r, quint8(values[0]), quint8(values[1]), quint8(values[2]),
                                                    quint8(values[3]), quint8(values[4]));
    refreshRanges(r);
}

void frmProvider::closeWithMethod()
{
    for (int i = 0; i < 3; ++i) {
        if (m_method[std::size_t(i)]->isChecked())
            m_core.settings().setValue(Setting::UseGameSpy, MethodValues[i]);
    }
    close();
}

void frmProvider::closeEvent(QCloseEvent* event)
{
    if (!m_closed) {
        m_closed = true;
        servers::ServerDiscovery& discovery = m_core.serverDiscovery();
        discovery.SaveIpRanges();
        discovery.LoadIpRanges();
        // the list's items would otherwise point at slots that now hold other servers
        discovery.FillServerSelection();
        m_core.applyDiscoveryTimer();
        if (m_completionField)
            m_completionField->setText(CompletionWord);
    }
    event->accept();
}

} // namespace vh::gui
