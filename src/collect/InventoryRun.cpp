#include "collect/InventoryRun.h"

#include "base/RunFlags.h"
#include "base/Settings.h"
#include "collect/VisitOrder.h"
#include "platform/EventWait.h"

namespace vh::collect {

InventoryRun::InventoryRun(const base::Settings& settings, base::RunFlags& flags, ServerList list)
    : m_settings(settings), m_flags(flags), m_list(std::move(list))
{
}

void InventoryRun::endPass()
{
    if (!m_settings.isOn(base::Setting::LoopScan))
        m_flags.StopRequested = 1;
    // a looping pass whose servers all failed at once, or that had none to visit, must not spin: it waits
    // out the minimum pass time, asleep until Cancel or a stop signal ends the wait
    const qint64 rest = m_flags.MinimumPassMs - m_passClock.elapsed();
    if (m_flags.StopRequested == 0 && rest > 0)
        platform::waitForEvent([this] { return m_flags.StopRequested == 1; }, int(rest));
    if (m_flags.StopRequested == 0 && m_list.count() > 0)
        m_list.select(0);
}

void InventoryRun::RunInOrder()
{
    m_passes = 0;
    if (m_list.selected() < 0 && m_list.count() > 0)
        m_list.select(0);
    m_list.setEnabled(false);
    do {
        int start = 0;
        if (m_passes == 0) {
            start = qMax(0, m_list.selected());
        } else {
            m_list.rebuild();
            if (m_list.count() > 0)
                m_list.select(0);
        }
        ++m_passes;
        m_passClock.start();
        for (int i = start; i < m_list.count(); ++i) {
            m_list.select(i);
            m_list.visitItem(i);
            if (m_flags.StopRequested == 1)
                break;
        }
        endPass();
    } while (m_flags.StopRequested != 1);
    m_list.setEnabled(true);
}

void InventoryRun::RunRandom()
{
    m_passes = 0;
    m_list.setEnabled(false);
    QRandomGenerator generator(quint32(m_settings.number(base::Setting::DiscoveryCursor)));
    do {
        if (m_passes > 0)
            m_list.rebuild();
        ++m_passes;
        m_passClock.start();
        const std::vector<int> order = drawVisitOrder(m_list.count(), generator);
        for (const int position : order) {
            if (position - 1 >= m_list.count())
                continue; // the list shrank under a visit
            m_list.select(position - 1);
            m_list.visitItem(position - 1);
            if (m_flags.StopRequested == 1)
                break;
        }
        endPass();
    } while (m_flags.StopRequested != 1);
    m_list.setEnabled(true);
}

} // namespace vh::collect
