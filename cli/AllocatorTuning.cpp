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
#endif
}

}  // namespace fk::cli
