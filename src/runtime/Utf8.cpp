#include "runtime/Utf8.h"

namespace tolvane {

std::string repairedUTF8(std::string_view bytes) {
    static constexpr std::string_view replacement = "\xEF\xBF\xBD";
    std::string text;
    text.reserve(bytes.size());
    std::size_t index = 0;
    while (index < bytes.size()) {
        auto lead = static_cast<unsigned char>(bytes[index]);
        if (lead < 0x80) {
            text += bytes[index++];
            continue;
        }
        // Well-formed sequences: the lead byte fixes the length and the range of
        // the second byte (which rules out overlong forms, surrogates and values
        // beyond U+10FFFF); later bytes are 80...BF.
        std::size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : low;
            high = lead == 0xED ? 0x9F : high;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : low;
            high = lead == 0xF4 ? 0x8F : high;
        } else {
            text += replacement;
            ++index;
            continue;
        }
        std::size_t valid = 1;
        while (valid < length && index + valid < bytes.size()) {
            auto next = static_cast<unsigned char>(bytes[index + valid]);
            if (next < (valid == 1 ? low : 0x80) || next > (valid == 1 ? high : 0xBF)) {
                break;
            }
            ++valid;
        }
        text += valid == length ? bytes.substr(index, length) : replacement;
        index += valid;
    }
    return text;
}

} // namespace tolvane
