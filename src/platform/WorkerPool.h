#pragma once

#include <QObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vh::platform {

// Worker threads for pure computation. A piece of work runs on one of the threads and returns what is to be
// done with its result; that part runs on the thread that owns the pool, in the order the work finished, when
// that thread processes its events. Nothing else passes between the threads, and the hand-over goes through
// the pool's own lock, so the result a piece of work leaves is complete when its owner's part sees it.
class WorkerPool final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WorkerPool)

public:
    using Done = std::function<void()>;
    using Work = std::function<Done()>;

    // Background work yields the processor to the owner's thread and to the network thread whenever they have
    // something to do, so the window stays responsive and the downloads that feed the work keep flowing.
    enum class Priority
    {
        Normal,
        Background
    };

    // threads <= 0: one per core
    explicit WorkerPool(int threads = 0, Priority priority = Priority::Normal, QObject* parent = nullptr);
    // Waits for the work under way and drops what has not started; parts left for the owner are not run.
    ~WorkerPool() override;

    int threadCount() const { return int(m_threads.size()); }
    void start(Work work);

private:
    Q_INVOKABLE void runDone();
    void workerLoop(Priority priority);

    std::vector<std::thread> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Work> m_work;   // guarded by m_mutex
    std::deque<Done> m_done;   // guarded by m_mutex
    bool m_ending = false;     // guarded by m_mutex
    bool m_donePosted = false; // guarded by m_mutex: a runDone is on its way to the owner
};

} // namespace vh::platform
