#pragma once

#include "simws/Control.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tolvane {

struct Fault {
    TVWSFaultKind kind = TVWS_FAULT_NONE;
    std::int32_t value = 0;
};

// Faults injected per function, optionally only for calls naming one cursor
// (by name or by number). A fault for one cursor wins over one for every call.
class FaultTable {
  public:
    static bool applies(TVWSFunction function, TVWSFaultKind kind);
    static bool takesName(TVWSFunction function);
    static bool takesNumber(TVWSFunction function);

    // TVWS_FAULT_NONE removes the entry.
    void set(TVWSFunction function, std::optional<std::string> name,
             std::optional<std::int32_t> number, Fault fault);
    std::optional<Fault> find(TVWSFunction function, const char* name = nullptr,
                              std::optional<std::int32_t> number = std::nullopt) const;
    void clear() { entries_.clear(); }

  private:
    struct Entry {
        TVWSFunction function;
        std::optional<std::string> name;
        std::optional<std::int32_t> number;
        Fault fault;
    };
    std::vector<Entry> entries_;
};

} // namespace tolvane
