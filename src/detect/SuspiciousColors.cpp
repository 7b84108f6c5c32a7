#include "detect/SuspiciousColors.h"

namespace vh::detect {

void SuspiciousColors::LoadSuspiciousColors()
{
    const auto colour = [](quint32 red, quint32 green, quint32 blue) { return red + 256 * green + 65536 * blue; };
    m_table[0] = {QByteArrayLiteral("Suspicious color1"), colour(239, 0, 0), 1};
    m_table[1] = {QByteArrayLiteral("Suspicious color2"), colour(239, 94, 0), 1};
    m_table[2] = {QByteArrayLiteral("Suspicious color5"), colour(1, 254, 0), 10};
    m_table[3] = {QByteArrayLiteral("Suspicious color6"), colour(58, 95, 205), 15};
    m_table[4] = {QByteArrayLiteral("Suspicious color7"), colour(255, 64, 0), 4};
    m_table[5] = {QByteArrayLiteral("Suspicious color3"), colour(127, 0, 127), 4};
    m_table[6] = {QByteArrayLiteral("Suspicious color9"), colour(255, 215, 0), 3};
    m_count = 7;
}

} // namespace vh::detect
