#pragma once

#include "SoakStep.h"

#include <functional>
#include <vector>

namespace tolvane::soak {

// Delta debugging over a failing scenario: deletes ever smaller chunks of
// steps as long as the shortened list, replayed from scratch, still fails.
// The result fails, and deleting any one of its steps makes it pass.
std::vector<SoakStep> shrinkSteps(std::vector<SoakStep> steps,
                                  const std::function<bool(const std::vector<SoakStep>&)>& fails);

} // namespace tolvane::soak
