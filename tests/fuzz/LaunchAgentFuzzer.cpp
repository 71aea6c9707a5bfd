// The input is both a launch agent file found in place and the path of the
// executable the agent written over it starts; what is written must read
// back as that path.
#include "app/LaunchAgent.h"
#include "fuzz/FuzzHome.h"
#include "platform/PropertyListSerialization.h"

#include <cstdlib>

using namespace tolvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& home = fuzzing::FuzzHome::shared();
    const std::string executable(reinterpret_cast<const char*>(data), size);
    const LaunchAgent agent(home.folders(), Bundle(home.path() / "Tolvane.app", {}, executable));
    fuzzing::FuzzHome::write(agent.path(), fuzzing::bytes(data, size));
    if (!agent.exists()) {
        std::abort();
    }
    if (agent.install()) {
        const auto written = PropertyListSerialization::readFile(agent.path());
        const PropertyList* arguments = written ? written->find("ProgramArguments") : nullptr;
        const auto* array = arguments ? arguments->arrayValue() : nullptr;
        if (!array || array->size() != 1 || !(array->front() == PropertyList(executable))) {
            std::abort();
        }
    }
    if (!agent.remove() || agent.exists()) {
        std::abort();
    }
    return 0;
}
