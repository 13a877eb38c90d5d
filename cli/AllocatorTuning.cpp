#include "cli/AllocatorTuning.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace fk::cli {

void KeepFreedMemoryForReuse() {
#ifdef __GLIBC__
    constexpr int kKeptFree = 64 << 20;  // far below the memory a split holds at its peak
    constexpr int kGrowth = 16 << 20;
    mallopt(M_TRIM_THRESHOLD, kKeptFree);
    mallopt(M_TOP_PAD, kGrowth);
    // Setting the trim threshold stops the allocator from raising the size above which it maps
    // blocks from the system afresh each time; set that size too, so that large strings reuse memory.
    mallopt(M_MMAP_THRESHOLD, kKeptFree / 2);
#endif
}

}  // namespace fk::cli
