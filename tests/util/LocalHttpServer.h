#pragma once

#include "HttpServer.h"

namespace vh::test {

// The suites use the simulated farm's HTTP server for their own routes, stalls and slow bodies.
using LocalHttpServer = sim::HttpServer;

} // namespace vh::test
