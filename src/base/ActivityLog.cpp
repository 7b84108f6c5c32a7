#include "base/ActivityLog.h"

#include "base/Settings.h"
#include "platform/AtomicFile.h"

namespace vh::base {

ActivityLog::ActivityLog(const Settings& settings, QObject* parent)
    : QAbstractListModel(parent), m_settings(settings), m_clock([] { return QTime::currentTime(); })
{
}

void ActivityLog::Log(const QString& message, Colour colour)
{
    const Colour shown = colour == Colours::Default ? Colours::White : colour;
    const QString text = m_clock().toString(QStringLiteral("HH:mm:ss")) + QStringLiteral(" : ") + message;
    beginInsertRows(QModelIndex(), 0, 0);
    m_lines.push_back({text, shown});
    endInsertRows();
    Q_EMIT lineAdded(text, shown);
}

void ActivityLog::LogVerbose(const QString& message)
{
    if (m_settings.isOn(Setting::VerboseLogging))
        Log(QStringLiteral("Verbose,") + message);
}

Problems ActivityLog::writeLogFile(const QString& path) const
{
    QByteArray out;
    for (auto it = m_lines.rbegin(); it != m_lines.rend(); ++it)
        out += it->text.toLatin1() + "\r\n";
    Problems problems = platform::writeFileAtomically(path, out);
    for (QString& problem : problems)
        problem.prepend(QStringLiteral("Problems in Writing Log, error:"));
    return problems;
}

int ActivityLog::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant ActivityLog::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Line& line = m_lines[m_lines.size() - 1 - std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return line.text;
    case Qt::BackgroundRole:
        return toQColor(line.colour);
    case Qt::ForegroundRole:
        return QColor(Qt::black);
    default:
        return {};
    }
}

} // namespace vh::base
