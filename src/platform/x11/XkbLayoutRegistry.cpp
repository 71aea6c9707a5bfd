#include "platform/x11/XkbLayoutRegistry.h"

#include "log/AppLog.h"

#include <xkbcommon/xkbregistry.h>

#include <libintl.h>

#include <algorithm>
#include <string_view>

namespace tolvane {

namespace {

// Layouts whose registry entry names the wrong language first, or a code of a
// language that is not the one people type with it.
struct LanguageMend {
    std::string_view layout;
    std::string_view language;
};
constexpr LanguageMend languageMends[] = {
    {"by(ru)", "ru"},      // Russian (Belarus) is listed as Belarusian
    {"ua(rstu_ru)", "ru"}, // Russian (Ukraine, standard RSTU) is listed as Ukrainian
    {"kz(ruskaz)", "ru"},  // Russian (Kazakhstan, with Kazakh) lists Kazakh first
    {"gb(gla)", "gd"},     // Scottish Gaelic lists English first
    {"tw", "zh"},          // Taiwanese is listed as Formosan
    {"my", "ms"},          // Malay (Jawi) lists Indonesian first
    {"ma", "ar"},          // Arabic (Morocco): Moroccan Arabic has no two-letter code
    {"sy", "ar"},          // Arabic (Syria) is listed as Syriac
    {"af", "fa"},          // Dari is Persian; its own code has no two letters
};

std::optional<std::string_view> mendedLanguage(const XkbLayout& layout) {
    const std::string name = layout.name();
    for (const auto& mend : languageMends) {
        if (mend.layout == name) {
            return mend.language;
        }
    }
    return std::nullopt;
}

rxkb_layout* findLayout(rxkb_context* context, const std::string& name,
                        const std::string& variant) {
    for (rxkb_layout* entry = rxkb_layout_first(context); entry != nullptr;
         entry = rxkb_layout_next(entry)) {
        const char* entryVariant = rxkb_layout_get_variant(entry);
        if (name == rxkb_layout_get_name(entry) &&
            variant == (entryVariant != nullptr ? entryVariant : "")) {
            return entry;
        }
    }
    return nullptr;
}

} // namespace

void XkbLayoutRegistry::ContextRelease::operator()(rxkb_context* context) const {
    rxkb_context_unref(context);
}

XkbLayoutRegistry::XkbLayoutRegistry(Iso639Codes codes)
    : context_(rxkb_context_new(RXKB_CONTEXT_NO_FLAGS)), codes_(std::move(codes)) {
    if (!context_ || !rxkb_context_parse_default_ruleset(context_.get())) {
        AppLog::warn("XKB layout registry unreadable: keyboard layouts are shown by their "
                     "group names, without languages");
        context_.reset();
    }
}

XkbLayoutRegistry::~XkbLayoutRegistry() = default;

std::optional<XkbLayoutRegistry::Description>
XkbLayoutRegistry::describe(const XkbLayout& layout) const {
    if (!context_) {
        return std::nullopt;
    }
    rxkb_layout* entry = findLayout(context_.get(), layout.layout, layout.variant);
    if (entry == nullptr && !layout.variant.empty()) {
        entry = findLayout(context_.get(), layout.layout, "");
    }
    if (entry == nullptr) {
        return std::nullopt;
    }
    std::vector<std::string> iso639;
    for (rxkb_iso639_code* code = rxkb_layout_get_iso639_first(entry); code != nullptr;
         code = rxkb_iso639_code_next(code)) {
        iso639.emplace_back(rxkb_iso639_code_get_code(code));
    }
    const char* description = rxkb_layout_get_description(entry);
    // The descriptions are translated in xkeyboard-config's own message catalogue.
    std::string name = description != nullptr ? dgettext("xkeyboard-config", description)
                                              : layout.name();
    return Description{std::move(name), languages(layout, iso639, codes_)};
}

std::vector<std::string> XkbLayoutRegistry::languages(const XkbLayout& layout,
                                                      std::span<const std::string> iso639,
                                                      const Iso639Codes& codes) {
    std::vector<std::string> result;
    if (auto mended = mendedLanguage(layout)) {
        result.emplace_back(*mended);
    }
    for (const std::string& code : iso639) {
        std::string preferred = codes.preferredCode(code);
        if (!preferred.empty() && std::find(result.begin(), result.end(), preferred) == result.end()) {
            result.push_back(std::move(preferred));
        }
    }
    return result;
}

} // namespace tolvane
