// The UDP status reply of a game server: a name and a map that are stored one per line and shown.
#include "FuzzInput.h"
#include "servers/StatusReply.h"

#include <algorithm>

namespace {
bool hasControlCharacter(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::optional<vh::servers::StatusReply> reply = vh::servers::parseStatusReply(fuzzBytes(data, size));
    if (reply) {
        FUZZ_REQUIRE(!hasControlCharacter(reply->hostName));
        FUZZ_REQUIRE(!hasControlCharacter(reply->map));
    }
    return 0;
}
