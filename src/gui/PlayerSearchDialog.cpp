#include "gui/PlayerSearchDialog.h"

#include "database/PlayerSearch.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

namespace vh::gui {

PlayerSearchDialog::PlayerSearchDialog(const database::Database& db, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPlayerSearch"));
    setWindowTitle(QStringLiteral("Find Player"));
    setModal(false);
    m_model = new database::PlayerSearchModel(db, this);

    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("txtSearch"));
    m_text->setPlaceholderText(QStringLiteral("GUID or part of a player name"));
    m_text->setClearButtonEnabled(true);
    m_names = new QLabel(this);
    m_names->setObjectName(QStringLiteral("lblNames"));
    m_names->setWordWrap(true);
    m_names->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("lblCount"));
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("lstSearch"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(false);
    m_table->horizontalHeader()->setSectionResizeMode(database::PlayerSearchModel::PlayerColumn, QHeaderView::Stretch);
    m_table->setWordWrap(false);
    m_table->setTextElideMode(Qt::ElideRight);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_names);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_count);
    resize(640, 420);

    connect(m_text, &QLineEdit::textChanged, this, &PlayerSearchDialog::search);
    connect(m_table, &QAbstractItemView::activated, this, [this](const QModelIndex& index) { choose(index.row()); });
    connect(m_table, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) { choose(index.row()); });
}

void PlayerSearchDialog::present()
{
    search(m_text->text());
    show();
    raise();
    activateWindow();
    m_text->setFocus();
    m_text->selectAll();
}

void PlayerSearchDialog::search(const QString& text)
{
    m_model->search(text);
    m_names->setText(m_model->namesText());
    m_names->setVisible(!m_names->text().isEmpty());
    m_count->setText(text.trimmed().isEmpty() ? QString() : QStringLiteral("%1 entries").arg(m_model->rowCount()));
    m_table->resizeColumnsToContents();
}

void PlayerSearchDialog::choose(int row)
{
    if (const int entry = m_model->entryAt(row))
        Q_EMIT entryChosen(entry);
}

} // namespace vh::gui
