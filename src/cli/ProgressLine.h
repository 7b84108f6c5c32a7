#pragma once

#include <QString>

class QIODevice;

namespace vh::cli {

// "server i/n, downloads done/queued" of the visit under way. On a terminal one line rewritten in place,
// which steps aside while log lines are printed; elsewhere one line per finished visit, for log files.
class ProgressLine final
{
public:
    ProgressLine(QIODevice& out, bool terminal);

    static QString text(int server, int servers, int done, int queued);

    void visitStarted(int server, int servers);
    void setQueued(int queued);
    void setDone(int done);
    // The visit under way ended (the next one began, or the run is over).
    void visitEnded();

    void clear();
    void redraw();

    int done() const { return m_done; }
    int queued() const { return m_queued; }

private:
    QIODevice& m_out;
    bool m_terminal;
    bool m_inVisit = false;
    bool m_shown = false;
    int m_server = 0;
    int m_servers = 0;
    int m_done = 0;
    int m_queued = 0;
};

} // namespace vh::cli
