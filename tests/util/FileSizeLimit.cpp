#include "util/FileSizeLimit.h"

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/resource.h>
#endif

namespace vh::test {

FileSizeLimit::FileSizeLimit(qint64 maxBytes)
{
#ifdef Q_OS_LINUX
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return;
    m_oldSoft = limit.rlim_cur;
    // the write then fails with EFBIG instead of ending the process
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = rlim_t(maxBytes);
    m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
#else
    Q_UNUSED(maxBytes);
#endif
}

FileSizeLimit::~FileSizeLimit()
{
#ifdef Q_OS_LINUX
    if (!m_active)
        return;
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(m_oldSoft);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, m_oldHandler);
#endif
}

} // namespace vh::test
