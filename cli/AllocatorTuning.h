#pragma once

namespace fk::cli {

// The slicer builds hundreds of small packages one after another, each with a few compressors of a
// quarter megabyte. By default the allocator hands freed memory back to the system after each and
// faults it in afresh for the next, which costs a third of the slicer's time. Kept for reuse instead.
void KeepFreedMemoryForReuse();

}  // namespace fk::cli
