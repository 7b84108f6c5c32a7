#pragma once

#include <QRandomGenerator>

#include <vector>

namespace vh::collect {

// A random visiting order of the list positions 1 to n, drawn by rejection: each slot draws 1..n until it
// finds a position not drawn before. The generator is seeded by the caller.
std::vector<int> drawVisitOrder(int n, QRandomGenerator& generator);

} // namespace vh::collect
