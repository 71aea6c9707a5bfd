#include "platform/Clock.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

namespace tolvane {

double RealClock::now() const {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool RealClock::waitUntil(double deadline, const int* descriptors, int count) {
    std::vector<pollfd> fds;
    for (int i = 0; i < count; ++i) {
        fds.push_back(pollfd{descriptors[i], POLLIN, 0});
    }
    int timeoutMs = -1;
    if (std::isfinite(deadline)) {
        double remaining = std::max(0.0, deadline - now());
        timeoutMs = static_cast<int>(std::ceil(std::min(remaining, 3600.0) * 1000.0));
    }
    poll(fds.data(), fds.size(), timeoutMs);
    return true;
}

bool ManualClock::waitUntil(double deadline, const int*, int) {
    if (!std::isfinite(deadline)) {
        return false;
    }
    now_ = std::max(now_, deadline);
    return true;
}

} // namespace tolvane
