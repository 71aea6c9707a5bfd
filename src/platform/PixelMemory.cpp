#include "platform/PixelMemory.h"

#include <malloc.h>

namespace tolvane {

void keepFreedPixelMemoryForReuse() {
    // Blocks below the highest threshold the allocator accepts come from its
    // heap, not from a mapping of their own that freeing unmaps.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    // Hand memory back only beyond several cursor sets' worth.
    mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
}

} // namespace tolvane
