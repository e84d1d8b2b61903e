#include "ui/errors.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace nv {

std::string Format(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  va_list ap2;
  va_copy(ap2, ap);
  const int n = std::vsnprintf(nullptr, 0, fmt, ap);
  va_end(ap);
  std::string r;
  if (n > 0) {
    std::vector<char> buf(static_cast<size_t>(n) + 1);
    std::vsnprintf(buf.data(), buf.size(), fmt, ap2);
    r.assign(buf.data(), static_cast<size_t>(n));
  }
  va_end(ap2);
  return r;
}

std::string ErrorBoxText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

void ThrowListIndexError(long index) {
  throw EListError(Format("List index out of bounds (%ld)", index));
}

}  // namespace nv
