#include "platform/MemoryReuse.h"

#include <malloc.h>

namespace plendo::platform {
namespace {

// Buffers below this come from the heap and are reused; a 24 MP picture
// decoded whole (72 MB) is still mapped and unmapped on its own. 32 MiB is
// glibc's largest value here.
constexpr int kMapThreshold = 32 << 20;
// Free memory at the top of a heap stays there up to this much, enough for
// the largest buffer taken from it; the rest goes back to the system at once.
constexpr int kTrimThreshold = kMapThreshold;

}  // namespace

void KeepFreedBuffersForReuse() {
#ifdef __GLIBC__
  ::mallopt(M_MMAP_THRESHOLD, kMapThreshold);
  ::mallopt(M_TRIM_THRESHOLD, kTrimThreshold);
#endif
}

void ReturnFreedMemory() {
#ifdef __GLIBC__
  ::malloc_trim(0);
#endif
}

}  // namespace plendo::platform
