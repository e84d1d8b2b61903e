// Memory for large buffers. Touching a fresh buffer of tens of megabytes
// page by page costs more than encoding into it; where the system offers
// huge pages, large buffers use them. Free the result with std::free.
#pragma once

#include <cstddef>

namespace nv {

// Null when the memory is not there (never throws).
void* AllocateLarge(std::size_t bytes);

}  // namespace nv
