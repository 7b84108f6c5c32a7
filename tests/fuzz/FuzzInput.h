#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// The bytes libFuzzer hands over, as the parsers take them. Wrapped without copying: a parser that reads
// past the end is caught by the address sanitizer at the first byte too far.
inline QByteArray fuzzBytes(const uint8_t* data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
}

// A property every input must keep; a break is reported as a crash, so libFuzzer keeps the input.
#define FUZZ_REQUIRE(condition)                                                                                        \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "property broken: %s\n", #condition);                                                 \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)
