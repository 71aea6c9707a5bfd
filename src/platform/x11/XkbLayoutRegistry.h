#pragma once

#include "platform/x11/Iso639Codes.h"
#include "platform/x11/XkbRulesNames.h"

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct rxkb_context;

namespace tolvane {

// What the XKB layout registry (the xkeyboard-config rules' layout list)
// says about keyboard layouts: their names in the user's language and the
// languages they are for, as two-letter codes where the language has one.
class XkbLayoutRegistry {
  public:
    struct Description {
        std::string localizedName;
        // The most important first.
        std::vector<std::string> languages;
    };

    // Reads the registry of the default XKB paths; one that cannot be read
    // describes nothing, with a log line.
    explicit XkbLayoutRegistry(Iso639Codes codes = Iso639Codes::load());
    ~XkbLayoutRegistry();
    XkbLayoutRegistry(const XkbLayoutRegistry&) = delete;
    XkbLayoutRegistry& operator=(const XkbLayoutRegistry&) = delete;

    // The layout with its variant; a variant the registry does not know is
    // described as its layout. None for a layout it does not know.
    std::optional<Description> describe(const XkbLayout& layout) const;

    // The languages of a layout from the registry's ISO 639 codes, in their
    // order, mended where the registry is known to be wrong.
    static std::vector<std::string> languages(const XkbLayout& layout,
                                              std::span<const std::string> iso639,
                                              const Iso639Codes& codes);

  private:
    struct ContextRelease {
        void operator()(rxkb_context* context) const;
    };
    std::unique_ptr<rxkb_context, ContextRelease> context_;
    Iso639Codes codes_;
};

} // namespace tolvane
