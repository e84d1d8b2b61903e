#include "codec/large_alloc.h"

#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace nv {

void* AllocateLarge(std::size_t bytes) {
#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
  constexpr std::size_t kHuge = std::size_t{2} << 20;
  if (bytes >= 4 * kHuge && bytes <= static_cast<std::size_t>(-1) - kHuge) {
    const std::size_t rounded = (bytes + kHuge - 1) / kHuge * kHuge;
    if (void* p = std::aligned_alloc(kHuge, rounded)) {
      ::madvise(p, rounded, MADV_HUGEPAGE);
      return p;
    }
  }
#endif
  return std::malloc(bytes == 0 ? 1 : bytes);
}

}  // namespace nv
