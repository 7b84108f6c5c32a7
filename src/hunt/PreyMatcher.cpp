#include "hunt/PreyMatcher.h"

#include <algorithm>
#include <map>

namespace vh::hunt {

namespace {

std::uint8_t fold(std::uint8_t b)
{
    return b >= 'A' && b <= 'Z' ? std::uint8_t(b + ('a' - 'A')) : b;
}

} // namespace

PreyMatcher::PreyMatcher(const QList<QByteArray>& prey, std::size_t maxTableCells)
{
    // classes: one per folded byte that some prey contains, upper and lower case sharing theirs
    std::array<bool, 256> used{};
    for (const QByteArray& p : prey) {
        for (char c : p)
            used[fold(std::uint8_t(c))] = true;
    }
    std::array<std::uint8_t, 256> foldedClass{};
    for (int b = 0; b < 256; ++b) {
        if (used[std::size_t(b)] && m_classes < 256)
            foldedClass[std::size_t(b)] = std::uint8_t(m_classes++);
    }
    for (int b = 0; b < 256; ++b)
        m_class[std::size_t(b)] = foldedClass[fold(std::uint8_t(b))];

    // the trie, built with maps, then packed
    std::vector<std::map<int, int>> edges(1);
    std::vector<char> terminal(1, 0);
    for (const QByteArray& p : prey) {
        if (p.isEmpty())
            continue;
        int s = 0;
        for (char c : p) {
            const int cls = m_class[std::uint8_t(c)];
            auto it = edges[std::size_t(s)].find(cls);
            if (it == edges[std::size_t(s)].end()) {
                edges[std::size_t(s)][cls] = int(edges.size());
                s = int(edges.size());
                edges.emplace_back();
                terminal.push_back(0);
            } else {
                s = it->second;
            }
        }
        terminal[std::size_t(s)] = 1;
    }
    const std::size_t states = edges.size();
    m_edgeBegin.assign(states + 1, 0);
    for (std::size_t s = 0; s < states; ++s) {
        m_edgeBegin[s + 1] = m_edgeBegin[s] + std::uint32_t(edges[s].size());
        for (const auto& [cls, target] : edges[s]) {
            m_edgeClass.push_back(std::uint8_t(cls));
            m_edgeTarget.push_back(target);
        }
    }
    edges.clear();

    // failure links in breadth-first order; a state is terminal when its longest proper suffix that is a
    // state is terminal
    m_fail.assign(states, 0);
    m_terminal = std::move(terminal);
    std::vector<std::int32_t> order;
    order.reserve(states);
    order.push_back(0);
    for (std::size_t head = 0; head < order.size(); ++head) {
        const int s = order[head];
        for (std::uint32_t e = m_edgeBegin[std::size_t(s)]; e < m_edgeBegin[std::size_t(s) + 1]; ++e) {
            const int t = m_edgeTarget[e];
            const int cls = m_edgeClass[e];
            int f = m_fail[std::size_t(s)];
            int next = 0;
            if (s != 0) {
                while (true) {
                    next = child(f, cls);
                    if (next >= 0 || f == 0)
                        break;
                    f = m_fail[std::size_t(f)];
                }
                if (next < 0)
                    next = 0;
            }
            m_fail[std::size_t(t)] = next;
            m_terminal[std::size_t(t)] = char(m_terminal[std::size_t(t)] | m_terminal[std::size_t(next)]);
            order.push_back(t);
        }
    }

    if (states * std::size_t(m_classes) > maxTableCells)
        return;
    std::vector<std::int32_t> table(states * std::size_t(m_classes), 0);
    // breadth-first, so the failure state's row is complete before it is copied
    for (const int s : order) {
        std::int32_t* row = table.data() + std::size_t(s) * std::size_t(m_classes);
        if (s != 0) {
            const std::int32_t* failRow = table.data() + std::size_t(m_fail[std::size_t(s)]) * std::size_t(m_classes);
            std::copy(failRow, failRow + m_classes, row);
        }
        for (std::uint32_t e = m_edgeBegin[std::size_t(s)]; e < m_edgeBegin[std::size_t(s) + 1]; ++e)
            row[m_edgeClass[e]] = m_edgeTarget[e];
    }
    // the cells hold the row offset of the next state, or -1 for a state where a prey ends, so the walk costs
    // one load per byte; rows go in breadth-first order, so the shallow states the walk mostly visits share
    // a few cache lines
    std::vector<std::int32_t> rank(states);
    for (std::size_t i = 0; i < states; ++i)
        rank[std::size_t(order[i])] = std::int32_t(i);
    m_table.assign(table.size(), 0);
    for (std::size_t s = 0; s < states; ++s) {
        for (int c = 0; c < m_classes; ++c) {
            const std::int32_t next = table[s * std::size_t(m_classes) + std::size_t(c)];
            m_table[std::size_t(rank[s]) * std::size_t(m_classes) + std::size_t(c)] =
                m_terminal[std::size_t(next)] ? -1 : rank[std::size_t(next)] * m_classes;
        }
    }
}

int PreyMatcher::child(int state, int cls) const
{
    for (std::uint32_t e = m_edgeBegin[std::size_t(state)]; e < m_edgeBegin[std::size_t(state) + 1]; ++e) {
        if (m_edgeClass[e] == cls)
            return m_edgeTarget[e];
        if (m_edgeClass[e] > cls)
            break;
    }
    return -1;
}

int PreyMatcher::step(int state, int cls) const
{
    while (true) {
        const int next = child(state, cls);
        if (next >= 0)
            return next;
        if (state == 0)
            return 0;
        state = m_fail[std::size_t(state)];
    }
}

bool PreyMatcher::occursIn(QByteArrayView text) const
{
    if (isEmpty())
        return false;
    int s = 0;
    if (!m_table.empty()) {
        const std::int32_t* table = m_table.data();
        for (char c : text) {
            s = table[s + m_class[std::uint8_t(c)]];
            if (s < 0)
                return true;
        }
        return false;
    }
    for (char c : text) {
        const int cls = m_class[std::uint8_t(c)];
        s = cls == 0 ? 0 : step(s, cls);
        if (m_terminal[std::size_t(s)])
            return true;
    }
    return false;
}

} // namespace vh::hunt
