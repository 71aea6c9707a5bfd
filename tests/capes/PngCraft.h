#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tolvane::testing {

inline std::uint32_t crc32(const std::uint8_t* data, std::size_t length) {
    std::uint32_t crc = 0xffffffffu;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

inline void putBigEndian(std::vector<std::uint8_t>& bytes, std::size_t offset,
                         std::uint32_t value) {
    std::uint8_t* at = bytes.data() + offset;
    at[0] = static_cast<std::uint8_t>(value >> 24);
    at[1] = static_cast<std::uint8_t>(value >> 16);
    at[2] = static_cast<std::uint8_t>(value >> 8);
    at[3] = static_cast<std::uint8_t>(value);
}

// A valid PNG file whose header claims other dimensions, with a matching checksum.
inline std::vector<std::uint8_t> withClaimedSize(std::vector<std::uint8_t> png, std::uint32_t width,
                                                 std::uint32_t height) {
    // Signature (8), IHDR length (4), "IHDR" (4), width, height, 5 more bytes, CRC.
    putBigEndian(png, 16, width);
    putBigEndian(png, 20, height);
    putBigEndian(png, 29, crc32(png.data() + 12, 17));
    return png;
}

} // namespace tolvane::testing
