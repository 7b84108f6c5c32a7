#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <array>

namespace vh::detect {

// A colour that cheat tools leave in a screenshot, and how many pixels of it in a row make a hit.
struct SuspiciousColor
{
    QByteArray Name;    // the result text
    quint32 Colour = 0; // red + 256 * green + 65536 * blue
    quint8 MinRun = 0;
};

// The suspicious-colour table: slots 0 to 20, the first SuspiciousColorCount in use.
class SuspiciousColors final
{
public:
    static constexpr int Capacity = 21;

    void LoadSuspiciousColors();

    int SuspiciousColorCount() const { return m_count; }
    const SuspiciousColor& at(int slot) const { return m_table.at(std::size_t(slot)); }

private:
    std::array<SuspiciousColor, Capacity> m_table{};
    int m_count = 0;
};

} // namespace vh::detect
