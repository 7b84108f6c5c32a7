#pragma once

#include <QElapsedTimer>

#include <functional>

namespace vh::base {
class Settings;
struct RunFlags;
} // namespace vh::base

namespace vh::collect {

// The pass loops of an inventory over the server selection list: in list order from the selected item, or in
// a random order seeded by the status-query cursor; each pass rebuilds the list from the second pass on and
// ends the run unless looping is on. What a list and a visit are is given by the caller.
class InventoryRun final
{
public:
    struct ServerList
    {
        std::function<int()> count;              // items in the server selection list
        std::function<int()> selected;           // the selected item, -1 when none
        std::function<void(int)> select;         // select an item so the list shows the server being visited
        std::function<void()> rebuild;           // rebuild the list from the filters
        std::function<void(bool)> setEnabled;    // the list is disabled during a pass loop
        std::function<bool(int item)> visitItem; // one visit of the server behind an item; false when passed over
    };

    InventoryRun(const base::Settings& settings, base::RunFlags& flags, ServerList list);

    void RunInOrder();
    void RunRandom();
    // Passes made by the last run, for the progress report of the headless collector.
    int passes() const { return m_passes; }

private:
    void endPass();

    const base::Settings& m_settings;
    base::RunFlags& m_flags;
    ServerList m_list;
    int m_passes = 0;
    QElapsedTimer m_passClock;
};

} // namespace vh::collect
