#include "collect/VisitOrder.h"

namespace vh::collect {

std::vector<int> drawVisitOrder(int n, QRandomGenerator& generator)
{
    std::vector<int> order;
    if (n <= 0)
        return order;
    order.reserve(std::size_t(n));
    std::vector<bool> drawn(std::size_t(n) + 1, false);
    for (int i = 0; i < n; ++i) {
        int r = 0;
        do {
            r = int(n * generator.generateDouble() + 1);
        } while (r < 1 || r > n || drawn[std::size_t(r)]);
        drawn[std::size_t(r)] = true;
        order.push_back(r);
    }
    return order;
}

} // namespace vh::collect
