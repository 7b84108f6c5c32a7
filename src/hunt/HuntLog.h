#pragma once

#include <QAbstractListModel>
#include <QDateTime>

#include <functional>
#include <vector>

namespace vh::hunt {

// The Hunt log: one line per row, the newest at row 0, each the date and time, " : " and the message. The
// prey list commands and the hunt write it; the Hunt Mode window shows it and the headless hunt prints it.
class HuntLog final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HuntLog)

public:
    explicit HuntLog(QObject* parent = nullptr);

    void AddHuntLog(const QString& message);
    void addAll(const QStringList& messages);
    // A newly opened window starts with an empty log.
    void clear();

    QStringList lines() const; // newest first
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    void lineAdded(const QString& line);

private:
    std::function<QDateTime()> m_clock;
    std::vector<QString> m_lines; // oldest first, so adding never moves the others
};

} // namespace vh::hunt
