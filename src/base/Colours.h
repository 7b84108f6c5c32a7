#pragma once

#include <QColor>
#include <QtGlobal>

namespace vh::base {

// Colours are red + 256 * green + 65536 * blue, as every log line and label of the program stores them.
using Colour = quint32;

namespace Colours {
inline constexpr Colour Default = 0; // shown as white: there is no way to ask for black
inline constexpr Colour White = 0xFFFFFF;
inline constexpr Colour Red = 255;
inline constexpr Colour Green = 65280;
inline constexpr Colour Yellow = 65535;
inline constexpr Colour Magenta = 0xFF00FF;
inline constexpr Colour Cyan = 0xFFFF00;
} // namespace Colours

inline QColor toQColor(Colour c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

} // namespace vh::base
