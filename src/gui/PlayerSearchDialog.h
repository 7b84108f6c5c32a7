#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QTableView;

namespace vh::database {
class Database;
class PlayerSearchModel;
} // namespace vh::database

namespace vh::gui {

// The player search (Ctrl+F): a GUID or a part of a player name, the matching entries with date, server,
// player and mark, and for a GUID every name it used. Choosing a row shows that entry in the main window.
class PlayerSearchDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PlayerSearchDialog)

public:
    explicit PlayerSearchDialog(const database::Database& db, QWidget* parent = nullptr);

    // Shows the window with the text selected and the search run again on the table as it is now.
    void present();
    void search(const QString& text);

Q_SIGNALS:
    void entryChosen(int entry);

private:
    void choose(int row);

    database::PlayerSearchModel* m_model = nullptr;
    QLineEdit* m_text = nullptr;
    QTableView* m_table = nullptr;
    QLabel* m_names = nullptr;
    QLabel* m_count = nullptr;
};

} // namespace vh::gui
