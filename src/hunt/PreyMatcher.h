#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <array>
#include <cstdint>
#include <vector>

namespace vh::hunt {

// Finds whether any prey occurs in a text, folding the letters A to Z only, in time linear in the text
// whatever the number of prey: one automaton over all prey, built once per hunt and shared by every page.
// An empty prey matches nothing, so a blank line of the prey file cannot select every screenshot.
class PreyMatcher final
{
public:
    // Above this many transition cells the automaton follows its failure links instead of a full table,
    // so a list of long prey cannot take hundreds of megabytes.
    static constexpr std::size_t DefaultTableCells = 8u * 1024 * 1024;

    explicit PreyMatcher(const QList<QByteArray>& prey, std::size_t maxTableCells = DefaultTableCells);

    bool occursIn(QByteArrayView text) const;
    bool isEmpty() const { return m_terminal.size() <= 1; }
    bool usesTable() const { return !m_table.empty(); }
    int stateCount() const { return int(m_terminal.size()); }

private:
    int child(int state, int cls) const;
    int step(int state, int cls) const;

    std::array<std::uint8_t, 256> m_class{}; // 0: a byte no prey contains
    int m_classes = 1;
    // the trie: per state the range of its edges in m_edgeClass/m_edgeTarget, sorted by class
    std::vector<std::uint32_t> m_edgeBegin;
    std::vector<std::uint8_t> m_edgeClass;
    std::vector<std::int32_t> m_edgeTarget;
    std::vector<std::int32_t> m_fail;
    std::vector<char> m_terminal;      // a prey ends here or at a state on the failure chain
    std::vector<std::int32_t> m_table; // state * m_classes + class, when it fits
};

} // namespace vh::hunt
