// The input is a property list in either format, read under the program's
// limits and under tight ones, then written and read back.
#include "fuzz/FuzzHome.h"
#include "platform/PropertyListSerialization.h"

#include <cstdlib>

using namespace tolvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parsed = PropertyListSerialization::parse(fuzzing::bytes(data, size));
    const auto tight = PropertyListSerialization::parse(fuzzing::bytes(data, size),
                                                        PropertyListLimits{4096, 4, 64});
    // What passes the tight limits passes the program's. (Not always as an
    // equal value: a real may be a NaN.)
    if (tight && !parsed) {
        std::abort();
    }
    if (!parsed) {
        return 0;
    }
    // What is written reads back and can be written again. In XML that gives
    // the same bytes. Binary bytes may differ: libplist 2.2 takes a microsecond
    // off a date when it reads one, and whether it writes equal data, arrays
    // and dictionaries once or twice depends on their addresses.
    for (const auto format : {PropertyListFormat::binary, PropertyListFormat::xml}) {
        const auto written = PropertyListSerialization::serialize(*parsed, format);
        if (!written) {
            continue;
        }
        const auto reread = PropertyListSerialization::parse(*written);
        if (!reread) {
            std::abort();
        }
        const auto rewritten = PropertyListSerialization::serialize(*reread, format);
        if (!rewritten || (format == PropertyListFormat::xml && *rewritten != *written)) {
            std::abort();
        }
    }
    return 0;
}
