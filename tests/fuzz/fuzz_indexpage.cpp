// The index page pbsvss.htm of a game server, with the line limits the settings can choose.
#include "FuzzInput.h"
#include "collect/IndexPage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // the first byte picks the limits, the rest is the page
    vh::collect::IndexPageLimits limits;
    limits.limitPerServer = data[0] & 1;
    limits.perServerLimit = (data[0] >> 1) & 7;
    limits.limitByAge = data[0] & 16;
    limits.maxAgeHours = data[0] >> 5;
    const QByteArray page = fuzzBytes(data + 1, size - 1);
    const vh::collect::IndexPageScan scan = vh::collect::parseIndexPage(
        vh::collect::normaliseIndexPage(page), "http://127.0.0.1/10.0.0.1/pbsvss.htm", limits, 200);
    FUZZ_REQUIRE(scan.entries.size() <= 200);
    return 0;
}
