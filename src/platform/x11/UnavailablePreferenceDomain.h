#pragma once

#include "platform/PreferenceDomain.h"

namespace tolvane {

// A preference domain the desktop does not have, such as the Accessibility
// pointer colours on X11: it holds no values, so nothing there needs
// overriding, and it keeps nothing it is given.
class UnavailablePreferenceDomain final : public PreferenceDomain {
  public:
    explicit UnavailablePreferenceDomain(std::string name) : name_(std::move(name)) {}

    const std::string& name() const override { return name_; }
    std::optional<PropertyList> copyValue(const std::string&) override { return std::nullopt; }
    void setValue(const std::string&, std::optional<PropertyList>) override {}
    Result<void> synchronize() override { return Result<void>::success(); }

  private:
    std::string name_;
};

} // namespace tolvane
