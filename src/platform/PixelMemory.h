#pragma once

namespace tolvane {

// Every apply decorates tens of megabytes of cursor pixels in blocks of up to
// a few hundred kilobytes and frees the previous set's. By default the
// allocator hands large freed blocks back to the system and the next apply
// faults every page of them in again, which costs more than drawing the
// pixels. Keeps freed blocks in the process for reuse instead: resident size
// stays at the largest apply's and does not grow further. Call once at start.
void keepFreedPixelMemoryForReuse();

} // namespace tolvane
