#include "StepShrinker.h"

#include <algorithm>

namespace tolvane::soak {

std::vector<SoakStep> shrinkSteps(std::vector<SoakStep> steps,
                                  const std::function<bool(const std::vector<SoakStep>&)>& fails) {
    std::size_t chunks = 2;
    while (steps.size() >= 2) {
        const std::size_t chunk = (steps.size() + chunks - 1) / chunks;
        bool shortened = false;
        for (std::size_t start = 0; start < steps.size(); start += chunk) {
            std::vector<SoakStep> candidate(steps.begin(),
                                            steps.begin() + static_cast<std::ptrdiff_t>(start));
            candidate.insert(candidate.end(),
                             steps.begin() +
                                 static_cast<std::ptrdiff_t>(std::min(start + chunk, steps.size())),
                             steps.end());
            if (fails(candidate)) {
                steps = std::move(candidate);
                chunks = std::max<std::size_t>(chunks - 1, 2);
                shortened = true;
                break;
            }
        }
        if (!shortened) {
            if (chunk == 1) {
                break;
            }
            chunks = std::min(steps.size(), chunks * 2);
        }
    }
    return steps;
}

} // namespace tolvane::soak
