#include "cli/ProgressLine.h"

#include <QIODevice>

namespace vh::cli {

ProgressLine::ProgressLine(QIODevice& out, bool terminal) : m_out(out), m_terminal(terminal) {}

QString ProgressLine::text(int server, int servers, int done, int queued)
{
    return QStringLiteral("server %1/%2, downloads %3/%4").arg(server).arg(servers).arg(done).arg(queued);
}

void ProgressLine::visitStarted(int server, int servers)
{
    visitEnded();
    m_inVisit = true;
    m_server = server;
    m_servers = servers;
    m_done = 0;
    m_queued = 0;
    redraw();
}

void ProgressLine::setQueued(int queued)
{
    if (queued == m_queued)
        return;
    m_queued = queued;
    redraw();
}

void ProgressLine::setDone(int done)
{
    if (done == m_done)
        return;
    m_done = done;
    redraw();
}

void ProgressLine::visitEnded()
{
    if (!m_inVisit)
        return;
    m_inVisit = false;
    if (m_terminal) {
        clear();
    } else {
        m_out.write(text(m_server, m_servers, m_done, m_queued).toLatin1() + '\n');
    }
}

void ProgressLine::clear()
{
    if (!m_terminal || !m_shown)
        return;
    m_out.write("\r\x1b[K");
    m_shown = false;
}

void ProgressLine::redraw()
{
    if (!m_terminal || !m_inVisit)
        return;
    m_out.write("\r\x1b[K" + text(m_server, m_servers, m_done, m_queued).toLatin1());
    m_shown = true;
}

} // namespace vh::cli
