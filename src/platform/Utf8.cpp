#include "platform/Utf8.h"

namespace tolvane {

namespace {

constexpr char32_t replacementCharacter = 0xFFFD;

// Decodes the sequence at bytes[index] and moves index past it. Well-formed
// sequences: the lead byte fixes the length and the range of the second byte
// (which rules out overlong forms, surrogates and values beyond U+10FFFF);
// later bytes are 80...BF.
char32_t decodeScalar(std::string_view bytes, std::size_t& index) {
    auto lead = static_cast<unsigned char>(bytes[index]);
    if (lead < 0x80) {
        ++index;
        return lead;
    }
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
        ++index;
        return replacementCharacter;
    }
    char32_t scalar = lead & (0x7Fu >> length);
    std::size_t valid = 1;
    while (valid < length && index + valid < bytes.size()) {
        auto next = static_cast<unsigned char>(bytes[index + valid]);
        if (next < (valid == 1 ? low : 0x80) || next > (valid == 1 ? high : 0xBF)) {
            break;
        }
        scalar = (scalar << 6) | (next & 0x3Fu);
        ++valid;
    }
    index += valid;
    return valid == length ? scalar : replacementCharacter;
}

} // namespace

std::u32string unicodeScalars(std::string_view bytes) {
    std::u32string scalars;
    scalars.reserve(bytes.size());
    for (std::size_t index = 0; index < bytes.size();) {
        scalars += decodeScalar(bytes, index);
    }
    return scalars;
}

std::string utf8Encoded(std::u32string_view scalars) {
    std::string text;
    text.reserve(scalars.size());
    auto byte = [&text](char32_t value) { text += static_cast<char>(value); };
    for (char32_t scalar : scalars) {
        if (scalar < 0x80) {
            byte(scalar);
        } else if (scalar < 0x800) {
            byte(0xC0 | (scalar >> 6));
            byte(0x80 | (scalar & 0x3F));
        } else if (scalar < 0x10000) {
            byte(0xE0 | (scalar >> 12));
            byte(0x80 | ((scalar >> 6) & 0x3F));
            byte(0x80 | (scalar & 0x3F));
        } else {
            byte(0xF0 | (scalar >> 18));
            byte(0x80 | ((scalar >> 12) & 0x3F));
            byte(0x80 | ((scalar >> 6) & 0x3F));
            byte(0x80 | (scalar & 0x3F));
        }
    }
    return text;
}

std::string repairedUTF8(std::string_view bytes) { return utf8Encoded(unicodeScalars(bytes)); }

} // namespace tolvane
