#include "platform/Png.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <spng.h>

namespace tolvane {
namespace {

struct ContextDeleter {
    void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};
using Context = std::unique_ptr<spng_ctx, ContextDeleter>;

struct MallocDeleter {
    void operator()(void* memory) const { std::free(memory); }
};

// Ancillary chunks (text, ICC profiles...) are never used; this bounds what
// a hostile file can make the decoder keep of them.
constexpr std::size_t ancillaryChunkCache = 1u << 20;

std::uint8_t unpremultiplied(std::uint32_t component, std::uint32_t alpha) {
    if (alpha == 0) {
        return 0;
    }
    std::uint32_t value = (component * 255u + alpha / 2u) / alpha;
    return static_cast<std::uint8_t>(value > 255u ? 255u : value);
}

std::uint32_t premultiplied(std::uint32_t component, std::uint32_t alpha) {
    return (component * alpha + 127u) / 255u;
}

std::string spngFailure(const char* what, int error) {
    return std::string(what) + ": " + spng_strerror(error);
}

} // namespace

std::optional<std::vector<std::uint8_t>> Png::encode(const Image& image) {
    const auto width = static_cast<std::uint32_t>(image.width());
    const auto height = static_cast<std::uint32_t>(image.height());
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4u);
    const unsigned char* source = image.bytes();
    const auto stride = static_cast<std::size_t>(image.bytesPerRow());
    std::uint8_t* target = rgba.data();
    for (std::size_t y = 0; y < height; ++y) {
        const unsigned char* row = source + y * stride;
        for (std::size_t x = 0; x < width; ++x, target += 4) {
            std::uint32_t pixel = 0;
            std::memcpy(&pixel, row + 4 * x, sizeof pixel);
            const std::uint32_t alpha = pixel >> 24;
            // Most cursor pixels are fully transparent, zero-filled already.
            if (alpha != 0) {
                target[0] = unpremultiplied((pixel >> 16) & 0xffu, alpha);
                target[1] = unpremultiplied((pixel >> 8) & 0xffu, alpha);
                target[2] = unpremultiplied(pixel & 0xffu, alpha);
                target[3] = static_cast<std::uint8_t>(alpha);
            }
        }
    }

    Context context(spng_ctx_new(SPNG_CTX_ENCODER));
    if (!context) {
        return std::nullopt;
    }
    spng_ihdr header{};
    header.width = width;
    header.height = height;
    header.bit_depth = 8;
    header.color_type = SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
    // Cursor images are mostly transparent with hard edges: unfiltered rows
    // at a light compression level come out smaller than adaptive filtering
    // and take a third of the time of the default level.
    if (spng_set_option(context.get(), SPNG_ENCODE_TO_BUFFER, 1) != 0 ||
        spng_set_option(context.get(), SPNG_FILTER_CHOICE, SPNG_DISABLE_FILTERING) != 0 ||
        spng_set_option(context.get(), SPNG_IMG_COMPRESSION_LEVEL, 3) != 0 ||
        spng_set_ihdr(context.get(), &header) != 0 ||
        spng_encode_image(context.get(), rgba.data(), rgba.size(), SPNG_FMT_PNG,
                          SPNG_ENCODE_FINALIZE) != 0) {
        return std::nullopt;
    }
    std::size_t length = 0;
    int error = 0;
    std::unique_ptr<void, MallocDeleter> buffer(
        spng_get_png_buffer(context.get(), &length, &error));
    if (!buffer || error != 0) {
        return std::nullopt;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(buffer.get());
    return std::vector<std::uint8_t>(bytes, bytes + length);
}

namespace {

// Opens a decoder on `bytes` and reads the image header, refusing an image
// over the limits before anything is allocated for its pixels.
Png::Header openAndReadHeader(spng_ctx* context, std::span<const std::uint8_t> bytes,
                              const PngLimits& limits) {
    spng_set_image_limits(context, limits.maxWidth, limits.maxHeight);
    spng_set_chunk_limits(context, bytes.size(), ancillaryChunkCache);
    int error = spng_set_png_buffer(context, bytes.data(), bytes.size());
    if (error != 0) {
        return {0, 0, spngFailure("unreadable", error)};
    }
    spng_ihdr header{};
    error = spng_get_ihdr(context, &header);
    if (error == SPNG_EWIDTH || error == SPNG_EHEIGHT || error == SPNG_EUSER_WIDTH ||
        error == SPNG_EUSER_HEIGHT) {
        return {0, 0, "dimensions exceed the limit", true};
    }
    if (error != 0) {
        return {0, 0, spngFailure("bad header", error)};
    }
    const std::uint64_t pixelCount = std::uint64_t{header.width} * header.height;
    if (header.width > limits.maxWidth || header.height > limits.maxHeight ||
        pixelCount > limits.maxPixelCount) {
        return {0, 0,
                "dimensions " + std::to_string(header.width) + "x" + std::to_string(header.height) +
                    " exceed the limit",
                true};
    }
    return {header.width, header.height, {}};
}

} // namespace

Png::Header Png::readHeader(std::span<const std::uint8_t> bytes, const PngLimits& limits) {
    Context context(spng_ctx_new(0));
    if (!context) {
        return {0, 0, "decoder unavailable"};
    }
    return openAndReadHeader(context.get(), bytes, limits);
}

Png::Decoded Png::decode(std::span<const std::uint8_t> bytes, const PngLimits& limits) {
    Context context(spng_ctx_new(0));
    if (!context) {
        return {std::nullopt, "decoder unavailable"};
    }
    const Header header = openAndReadHeader(context.get(), bytes, limits);
    if (!header.failure.empty()) {
        return {std::nullopt, header.failure, header.tooLarge};
    }
    const std::uint64_t pixelCount = std::uint64_t{header.width} * header.height;

    std::size_t length = 0;
    int error = spng_decoded_image_size(context.get(), SPNG_FMT_RGBA8, &length);
    if (error != 0 || length != pixelCount * 4u) {
        return {std::nullopt, spngFailure("bad header", error)};
    }
    std::vector<std::uint8_t> rgba(length);
    error = spng_decode_image(context.get(), rgba.data(), rgba.size(), SPNG_FMT_RGBA8,
                              SPNG_DECODE_TRNS);
    if (error != 0) {
        return {std::nullopt, spngFailure("corrupt image data", error)};
    }

    const int width = static_cast<int>(header.width);
    const int height = static_cast<int>(header.height);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return {std::nullopt, "no memory for the pixels"};
    }
    cairo_surface_flush(surface);
    unsigned char* target = cairo_image_surface_get_data(surface);
    const auto stride = static_cast<std::size_t>(cairo_image_surface_get_stride(surface));
    const std::uint8_t* source = rgba.data();
    for (std::size_t y = 0; y < header.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(target + y * stride);
        for (std::size_t x = 0; x < header.width; ++x, source += 4) {
            const std::uint32_t alpha = source[3];
            if (alpha == 0) {
                row[x] = 0;
            } else if (alpha == 255) {
                row[x] = 0xff000000u | std::uint32_t{source[0]} << 16 |
                         std::uint32_t{source[1]} << 8 | source[2];
            } else {
                row[x] = alpha << 24 | premultiplied(source[0], alpha) << 16 |
                         premultiplied(source[1], alpha) << 8 | premultiplied(source[2], alpha);
            }
        }
    }
    cairo_surface_mark_dirty(surface);
    auto image = Image::adopt(surface);
    if (!image) {
        return {std::nullopt, "no memory for the pixels"};
    }
    return {std::move(image), {}};
}

} // namespace tolvane
