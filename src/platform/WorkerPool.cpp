#include "platform/WorkerPool.h"

#include <QMetaObject>

#include <algorithm>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace vh::platform {

namespace {

void lowerThisThreadsPriority()
{
#ifdef Q_OS_LINUX
    // a thread is a task of its own here: its nice value leaves the rest of the process as it is. Failure
    // only means the work competes on equal terms, as before.
    constexpr int BackgroundNice = 10;
    const int tid = int(gettid());
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, id_t(tid));
    if (errno == 0)
        (void)setpriority(PRIO_PROCESS, id_t(tid), std::min(current + BackgroundNice, 19));
#endif
}

} // namespace

WorkerPool::WorkerPool(int threads, Priority priority, QObject* parent) : QObject(parent)
{
    if (threads <= 0)
        threads = int(std::max(1u, std::thread::hardware_concurrency()));
    m_threads.reserve(std::size_t(threads));
    for (int i = 0; i < threads; ++i)
        m_threads.emplace_back([this, priority] { workerLoop(priority); });
}

WorkerPool::~WorkerPool()
{
    {
        const std::lock_guard lock(m_mutex);
        m_ending = true;
        m_work.clear();
    }
    m_wake.notify_all();
    for (std::thread& t : m_threads)
        t.join();
}

void WorkerPool::start(Work work)
{
    {
        const std::lock_guard lock(m_mutex);
        m_work.push_back(std::move(work));
    }
    m_wake.notify_one();
}

void WorkerPool::workerLoop(Priority priority)
{
    if (priority == Priority::Background)
        lowerThisThreadsPriority();
    for (;;) {
        Work work;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_ending || !m_work.empty(); });
            if (m_ending)
                return;
            work = std::move(m_work.front());
            m_work.pop_front();
        }
        Done done = work();
        work = nullptr;
        bool post = false;
        {
            const std::lock_guard lock(m_mutex);
            if (m_ending)
                return;
            m_done.push_back(std::move(done));
            post = !m_donePosted;
            m_donePosted = true;
        }
        // posted, not called: the owner's part runs on the owner's thread. The call carries no data; runDone
        // takes the results under the lock.
        if (post)
            QMetaObject::invokeMethod(this, "runDone", Qt::QueuedConnection);
    }
}

void WorkerPool::runDone()
{
    std::deque<Done> done;
    {
        const std::lock_guard lock(m_mutex);
        done.swap(m_done);
        m_donePosted = false;
    }
    for (Done& d : done) {
        if (d)
            d();
    }
}

} // namespace vh::platform
