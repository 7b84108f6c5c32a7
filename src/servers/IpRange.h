#pragma once

#include <QtGlobal>

namespace vh::servers {

// The addresses A.B.C.First to A.B.C.(First + Span) of one provider; First + Span never passes 255.
struct IpRange
{
    quint8 A = 0;
    quint8 B = 0;
    quint8 C = 0;
    quint8 First = 0;
    quint8 Span = 0;
    quint8 ProviderIndex = 0; // 1-based slot in the provider table
};

} // namespace vh::servers
