#include "MemoryTuning.h"

#include <malloc.h>

namespace corvo {

void configureAllocatorForLargeTables() noexcept
{
    // Blocks up to 512 MiB come from the heap and are reused; at most 512 MiB of free heap is
    // kept before it is returned to the system.
    constexpr int Limit = 512 * 1024 * 1024;
    mallopt(M_MMAP_THRESHOLD, Limit);
    mallopt(M_TRIM_THRESHOLD, Limit);
}

} // namespace corvo
