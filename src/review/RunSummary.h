#pragma once

#include <QObject>
#include <QString>

namespace vh::base {
class ActivityLog;
}
namespace vh::database {
class Database;
}

namespace vh::review {

// Counts what a collection run brought in and logs one line when it ends, so a run does not end without a
// word: the servers visited, the screenshots added and how many of them a check flagged.
class RunSummary final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RunSummary)

public:
    RunSummary(const database::Database& db, base::ActivityLog& log, QObject* parent = nullptr);

    static QString line(int servers, int added, int detections);

    void runStarted();
    void entryAdded(int n);
    void runEnded(int serversVisited);

private:
    const database::Database& m_db;
    base::ActivityLog& m_log;
    bool m_running = false;
    int m_added = 0;
    int m_detections = 0;
};

} // namespace vh::review
