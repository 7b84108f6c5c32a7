#include "review/RunSummary.h"

#include "base/ActivityLog.h"
#include "database/Database.h"

namespace vh::review {

RunSummary::RunSummary(const database::Database& db, base::ActivityLog& log, QObject* parent)
    : QObject(parent), m_db(db), m_log(log)
{
}

QString RunSummary::line(int servers, int added, int detections)
{
    return QStringLiteral("Inventory finished: %1 servers visited, %2 screenshots added, %3 detections")
        .arg(servers)
        .arg(added)
        .arg(detections);
}

void RunSummary::runStarted()
{
    m_running = true;
    m_added = 0;
    m_detections = 0;
}

void RunSummary::entryAdded(int n)
{
    if (!m_running || n < 1 || n > m_db.EntryCount())
        return;
    ++m_added;
    if (!m_db.entry(n).AutoDetected.isEmpty())
        ++m_detections;
}

void RunSummary::runEnded(int serversVisited)
{
    if (!m_running)
        return;
    m_running = false;
    m_log.Log(line(serversVisited, m_added, m_detections));
}

} // namespace vh::review
