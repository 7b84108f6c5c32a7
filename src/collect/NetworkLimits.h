#pragma once

#include <QtGlobal>

namespace vh::collect {

// What one transfer may take before its worker is freed: a server that accepts and then sends nothing, one
// that stalls mid-transfer, one that redirects in circles or one that sends without end.
struct NetworkLimits
{
    static constexpr int DefaultIdleTimeoutMs = 30000;      // no byte for this long ends the transfer
    static constexpr int DefaultTransferTimeoutMs = 300000; // no transfer lasts longer than this
    static constexpr int DefaultMaxRedirects = 5;
    static constexpr qint64 DefaultMaxTransferBytes = 64LL * 1024 * 1024;

    int idleTimeoutMs = DefaultIdleTimeoutMs;
    int transferTimeoutMs = DefaultTransferTimeoutMs;
    int maxRedirects = DefaultMaxRedirects;
    qint64 maxTransferBytes = DefaultMaxTransferBytes;
};

} // namespace vh::collect
