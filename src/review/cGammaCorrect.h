#pragma once

#include <array>
#include <cstdint>

namespace vh::review {

class cDIBSection;

// One gamma value and the 256-entry table built from it, applied to every colour byte of a bitmap.
class cGammaCorrect final
{
public:
    double gamma() const { return m_gamma; }
    void gamma(double fGamma);

    // Writes the corrected source into the destination, which must be at least as large; the source stays.
    void Correct(const cDIBSection& cSrc, cDIBSection& cDst) const;
    void createGammaTable();

    const std::array<std::uint8_t, 256>& redTable() const { return m_red; }
    const std::array<std::uint8_t, 256>& greenTable() const { return m_green; }
    const std::array<std::uint8_t, 256>& blueTable() const { return m_blue; }

private:
    double m_gamma = 0.0;
    std::array<std::uint8_t, 256> m_red{};
    std::array<std::uint8_t, 256> m_green{};
    std::array<std::uint8_t, 256> m_blue{};
};

} // namespace vh::review
