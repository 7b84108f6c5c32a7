// Both banlist files: the AASA aasaprivbanguid.txt and the ACI pbbans.txt.
#include "FuzzInput.h"
#include "banlists/Banlist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray text = fuzzBytes(data, size);
    for (const bool aasa : {true, false}) {
        vh::banlists::Banlist list;
        aasa ? list.parseAasa(text) : list.parseAci(text);
        FUZZ_REQUIRE(list.count() >= 0 && list.count() <= vh::banlists::Banlist::MaxCount);
        for (int i = 1; i <= list.count(); ++i)
            FUZZ_REQUIRE(list.findFirst(list.entry(i).Guid) >= 1);
    }
    return 0;
}
