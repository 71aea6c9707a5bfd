// The input is a PNG file, decoded and read for its header alone.
#include "fuzz/FuzzHome.h"
#include "platform/Png.h"

#include <cstdlib>

using namespace tolvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const PngLimits limits{512, 512, 512ull * 256ull};
    const Png::Decoded decoded = Png::decode(fuzzing::bytes(data, size), limits);
    const Png::Header header = Png::readHeader(fuzzing::bytes(data, size), limits);
    // A decoded image has the size its header gives; an image the header
    // check finds too large is never decoded.
    if (decoded.image.has_value() == !decoded.failure.empty() ||
        (header.tooLarge && decoded.image)) {
        std::abort();
    }
    if (decoded.image &&
        (!header.failure.empty() || decoded.image->width() != static_cast<int>(header.width) ||
         decoded.image->height() != static_cast<int>(header.height) ||
         std::uint64_t{header.width} * header.height > limits.maxPixelCount)) {
        std::abort();
    }
    return 0;
}
