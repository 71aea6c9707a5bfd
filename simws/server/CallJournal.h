#pragma once

#include <cstddef>
#include <deque>
#include <map>
#include <string>
#include <string_view>

namespace tolvane {

// The arguments of one call as "label=value" pairs separated by spaces.
class CallArguments {
  public:
    CallArguments& name(std::string_view label, const char* value);
    CallArguments& number(std::string_view label, long long value);
    CallArguments& real(std::string_view label, double value);
    const std::string& text() const { return text_; }

  private:
    void label(std::string_view label);
    std::string text_;
};

// Every call of the cursor interface: a count per exported name and the most
// recent calls with their arguments, for tests that check what was called in
// which order.
class CallJournal {
  public:
    static constexpr std::size_t maxLines = 4096;

    void record(std::string_view symbol, const std::string& arguments);
    unsigned count(std::string_view symbol) const;
    // One line per call, oldest first, each ending in a newline.
    std::string text() const;
    void clear();

  private:
    std::map<std::string, unsigned, std::less<>> counts_;
    std::deque<std::string> lines_;
};

} // namespace tolvane
