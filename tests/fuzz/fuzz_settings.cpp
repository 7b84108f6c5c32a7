// data/Settings.dat: the settings read back from what they save.
#include "FuzzInput.h"
#include "base/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    vh::base::Settings settings;
    settings.parse(fuzzBytes(data, size));
    const QByteArray saved = settings.serialize();
    vh::base::Settings again;
    again.parse(saved);
    FUZZ_REQUIRE(again.serialize() == saved);
    return 0;
}
