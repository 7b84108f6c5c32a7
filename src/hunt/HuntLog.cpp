#include "hunt/HuntLog.h"

namespace vh::hunt {

HuntLog::HuntLog(QObject* parent) : QAbstractListModel(parent), m_clock([] { return QDateTime::currentDateTime(); }) {}

void HuntLog::AddHuntLog(const QString& message)
{
    const QString line = m_clock().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral(" : ") + message;
    beginInsertRows(QModelIndex(), 0, 0);
    m_lines.push_back(line);
    endInsertRows();
    Q_EMIT lineAdded(line);
}

void HuntLog::addAll(const QStringList& messages)
{
    for (const QString& m : messages)
        AddHuntLog(m);
}

void HuntLog::clear()
{
    beginResetModel();
    m_lines.clear();
    endResetModel();
}

QStringList HuntLog::lines() const
{
    QStringList out;
    for (auto it = m_lines.rbegin(); it != m_lines.rend(); ++it)
        out << *it;
    return out;
}

int HuntLog::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant HuntLog::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || role != Qt::DisplayRole)
        return {};
    return m_lines[m_lines.size() - 1 - std::size_t(index.row())];
}

} // namespace vh::hunt
