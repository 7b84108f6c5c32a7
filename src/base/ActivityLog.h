#pragma once

#include "base/Checked.h"
#include "base/Colours.h"

#include <QAbstractListModel>
#include <QTime>

#include <functional>
#include <vector>

namespace vh::base {

class Settings;

// The activity log: one line per row, the newest at row 0, each with its background colour.
class ActivityLog final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ActivityLog)

public:
    struct Line
    {
        QString text;
        Colour colour = Colours::White;
    };

    explicit ActivityLog(const Settings& settings, QObject* parent = nullptr);

    // Time of day, " : " and the message, as a new row 0; colour 0 stands for white.
    void Log(const QString& message, Colour colour = Colours::Default);
    // The same with "Verbose," in front, only while verbose logging is on (read anew at every call).
    void LogVerbose(const QString& message);

    const std::vector<Line>& lines() const { return m_lines; } // newest first
    // Writes every row, newest first, with CR LF line ends, replacing the file; the problem line when it cannot.
    Problems writeLogFile(const QString& path) const;

    // The clock the time of day comes from; tests set their own.
    void setClock(std::function<QTime()> clock) { m_clock = std::move(clock); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    // Every line as it is added, for listeners that print the log (the headless collector).
    void lineAdded(const QString& text, vh::base::Colour colour);

private:
    const Settings& m_settings;
    std::function<QTime()> m_clock;
    // stored oldest first so adding a line never moves the others in memory; row 0 is the last element
    std::vector<Line> m_lines;
};

} // namespace vh::base
