// data/servers.dat and the lister's output data/serverlist.txt, over a list of four known servers.
#include "FuzzInput.h"
#include "servers/ServerList.h"

using vh::servers::ServerList;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray content = fuzzBytes(data, size);
    ServerList list;
    for (int i = 1; i <= 4; ++i)
        list.appendServer(QStringLiteral("127.0.0.%1").arg(i), 1, QStringLiteral("http://127.0.0.1/x/pbsvss.htm"));
    list.LoadServers(content);
    list.markValid(content);
    // whatever was read is saved as three lines per server, and reads back as the same servers
    const QByteArray saved = list.SaveServers();
    FUZZ_REQUIRE(saved.count("\r\n") % 3 == 0);
    ServerList again;
    for (int i = 1; i <= 4; ++i)
        again.appendServer(QStringLiteral("127.0.0.%1").arg(i), 1, QStringLiteral("http://127.0.0.1/x/pbsvss.htm"));
    again.LoadServers(saved);
    FUZZ_REQUIRE(again.SaveServers() == saved);
    return 0;
}
