// The input is the bytes of a root window's _XKB_RULES_NAMES property.
#include "fuzz/FuzzHome.h"
#include "platform/x11/XkbRulesNames.h"

#include <algorithm>
#include <cstdlib>

using namespace tolvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const XkbRulesNames names = XkbRulesNames::parse(fuzzing::bytes(data, size));
    // Written back as the property holds them, the fields read the same.
    std::string written;
    std::size_t length = 0;
    for (const auto* field : {&names.rules, &names.model, &names.layout, &names.variant,
                              &names.options}) {
        if (!*field) {
            break;
        }
        if ((*field)->find('\0') != std::string::npos) {
            std::abort();
        }
        written += **field + '\0';
        length += (*field)->size();
    }
    if (length > size) {
        std::abort();
    }
    const XkbRulesNames reread = XkbRulesNames::parse(
        {reinterpret_cast<const std::uint8_t*>(written.data()), written.size()});
    if (!(reread == names)) {
        std::abort();
    }
    // One layout per comma of the layout field.
    const std::size_t groups =
        names.layout ? static_cast<std::size_t>(std::ranges::count(*names.layout, ',')) + 1 : 0;
    if (names.layouts().size() != groups) {
        std::abort();
    }
    return 0;
}
